#pragma once

#include <cstdint>
#include <initializer_list>

// The small value types of the class library: window handles, sets of options and the
// enumerations that forms and controls take. No Qt here: this header is seen by every layer that
// builds a window.

// A window of our own: the handle of a TWinControl's window, valid while the control's window
// exists. Identical to the plug-in contract's HWND, so the handle can be handed to plug-ins.
typedef void* HWND;

// A set of enumerators, written as the class library writes it: TOpenOptions() << ofHideReadOnly.
template <typename E>
class TSet {
public:
    TSet() = default;
    TSet(std::initializer_list<E> members)
    {
        for (E member : members) {
            bits |= bit(member);
        }
    }

    TSet& operator<<(E member)
    {
        bits |= bit(member);
        return *this;
    }
    TSet& operator>>(E member)
    {
        bits &= ~bit(member);
        return *this;
    }
    bool Contains(E member) const { return (bits & bit(member)) != 0; }
    bool Empty() const { return bits == 0; }
    void Clear() { bits = 0; }
    bool operator==(const TSet& other) const { return bits == other.bits; }
    bool operator!=(const TSet& other) const { return bits != other.bits; }

private:
    static std::uint64_t bit(E member) { return std::uint64_t(1) << static_cast<unsigned>(member); }
    std::uint64_t bits = 0;
};

// Results of a modal form or a message dialog.
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};
typedef int TModalResult;

// What happens to a form that closes (OnClose may change it).
enum TCloseAction { caNone, caHide, caFree, caMinimize };

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
typedef TSet<TBorderIcon> TBorderIcons;

enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poMainFormCenter, poOwnerFormCenter };

enum TShiftStateMember { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
typedef TSet<TShiftStateMember> TShiftState;

// The state of a top-level window.
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// Virtual key codes, with the class library's numbers; letters and digits are their upper-case
// ASCII codes.
typedef unsigned short WORD;
enum : WORD {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_APPS = 0x5D,
};

enum TImeMode { imDisable, imClose, imOpen, imDontCare };

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Where a label that does not fit shortens its caption: nowhere, in the middle (a path keeps its
// start and its last folder), at the end.
enum TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis };

// List views.
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TSortType { stNone, stData, stText, stBoth };
enum TItemChange { ctText, ctImage, ctState };

// Cursors, with the class library's numbers.
typedef int TCursor;
enum : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeAll = -22,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
};

// Font character sets. Qt draws every text as Unicode; the set is kept only as the form asks.
enum : int { DEFAULT_CHARSET = 1, SHIFTJIS_CHARSET = 128 };

// Window styles that a control may ask for in CreateParams.
enum : unsigned { WS_EX_ACCEPTFILES = 0x00000010u };

// Message dialogs.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel };
typedef TSet<TMsgDlgBtn> TMsgDlgButtons;

// Open-file dialogs.
enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden,
    // Lists device files too (disks, SD cards), which are not regular files.
    ofShowDevices,
};
typedef TSet<TOpenOption> TOpenOptions;
