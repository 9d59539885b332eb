#pragma once

#include "platform/classlib/Types.h"

#include <functional>
#include <string>
#include <vector>

// Where the message dialogs and the open-file dialog can be answered without a person. With no
// handler installed the real Qt dialogs are shown. A handler runs where the dialog would have run
// its modal loop, on the user-interface thread, so it may itself raise further events (as a user
// clicking elsewhere during a modal dialog would) before it answers.
struct TMessageDlgRequest {
    TMsgDlgType Type;
    std::string Caption;
    std::string Text;
    TMsgDlgButtons Buttons;
    int HelpContext;
};

struct TOpenDialogRequest {
    TOpenOptions Options;
    std::string InitialDir;
    std::string FileName;
    std::string Title;
    std::string Filter;
};

class TDialogSeam {
public:
    // Returns the modal result the dialog would have returned (mrOk, mrCancel, ...).
    using MessageHandler = std::function<int(const TMessageDlgRequest& request)>;
    // Returns false for a cancelled dialog; otherwise fills files with the chosen full paths.
    using OpenHandler = std::function<bool(const TOpenDialogRequest& request, std::vector<std::string>& files)>;

    // Each setter returns the handler it replaces; an empty handler restores the real dialog.
    static MessageHandler SetMessageHandler(MessageHandler handler);
    static OpenHandler SetOpenHandler(OpenHandler handler);

    static const MessageHandler& MessageHandlerInstalled();
    static const OpenHandler& OpenHandlerInstalled();
};

// Installs handlers for one scope and puts the earlier ones back when it ends.
class TDialogSeamScope {
public:
    explicit TDialogSeamScope(TDialogSeam::MessageHandler messageHandler, TDialogSeam::OpenHandler openHandler = {});
    ~TDialogSeamScope();
    TDialogSeamScope(const TDialogSeamScope&) = delete;
    TDialogSeamScope& operator=(const TDialogSeamScope&) = delete;

private:
    TDialogSeam::MessageHandler previousMessage;
    TDialogSeam::OpenHandler previousOpen;
};
