#include "platform/classlib/TDialogSeam.h"

namespace {

TDialogSeam::MessageHandler& messageHandler()
{
    static TDialogSeam::MessageHandler handler;
    return handler;
}

TDialogSeam::OpenHandler& openHandler()
{
    static TDialogSeam::OpenHandler handler;
    return handler;
}

}  // namespace

TDialogSeam::MessageHandler TDialogSeam::SetMessageHandler(MessageHandler handler)
{
    MessageHandler previous = std::move(messageHandler());
    messageHandler() = std::move(handler);
    return previous;
}

TDialogSeam::OpenHandler TDialogSeam::SetOpenHandler(OpenHandler handler)
{
    OpenHandler previous = std::move(openHandler());
    openHandler() = std::move(handler);
    return previous;
}

const TDialogSeam::MessageHandler& TDialogSeam::MessageHandlerInstalled()
{
    return messageHandler();
}

const TDialogSeam::OpenHandler& TDialogSeam::OpenHandlerInstalled()
{
    return openHandler();
}

TDialogSeamScope::TDialogSeamScope(TDialogSeam::MessageHandler messageHandler, TDialogSeam::OpenHandler openHandler)
    : previousMessage(TDialogSeam::SetMessageHandler(std::move(messageHandler)))
    , previousOpen(TDialogSeam::SetOpenHandler(std::move(openHandler)))
{
}

TDialogSeamScope::~TDialogSeamScope()
{
    TDialogSeam::SetMessageHandler(std::move(previousMessage));
    TDialogSeam::SetOpenHandler(std::move(previousOpen));
}
