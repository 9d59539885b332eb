#include "platform/classlib/TMemo.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TStrings.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QPlainTextEdit* editor(QWidget* widget)
{
    return static_cast<QPlainTextEdit*>(widget);
}

// Enter in a memo that does not want returns goes to the form's default button.
class ReturnFilter : public QObject {
public:
    ReturnFilter(TMemo* memo, QObject* parent) : QObject(parent), memo(memo) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !memo->WantReturns()) {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (TForm* form = GetParentForm(memo)) {
                    classlib::dispatch(form, [form] { form->DefaultKey(); });
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TMemo* memo;
};

}  // namespace

// The memo's lines, read from and written to its document.
class TMemo::MemoLines : public TStrings {
public:
    explicit MemoLines(QPlainTextEdit* editor) : edit(editor) {}

    int Count() const override
    {
        QTextDocument* document = edit->document();
        if (document->isEmpty()) {
            return 0;
        }
        return document->blockCount();
    }

    std::string Get(int index) const override
    {
        if (index < 0 || index >= Count()) {
            return "";
        }
        return classlib::fromQ(edit->document()->findBlockByNumber(index).text());
    }

    void Put(int index, const std::string& text) override
    {
        if (index < 0 || index >= Count()) {
            return;
        }
        QTextCursor cursor(edit->document()->findBlockByNumber(index));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(classlib::toQ(text));
    }

    void Insert(int index, const std::string& text) override
    {
        int count = Count();
        if (index < 0 || index >= count) {
            // At the end: the view follows the new line.
            edit->appendPlainText(classlib::toQ(text));
            return;
        }
        QTextCursor cursor(edit->document()->findBlockByNumber(index));
        cursor.insertText(classlib::toQ(text) + QLatin1Char('\n'));
    }

    void Delete(int index) override
    {
        int count = Count();
        if (index < 0 || index >= count) {
            return;
        }
        QTextCursor cursor(edit->document()->findBlockByNumber(index));
        if (index + 1 < count) {
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        } else {
            if (index > 0) {
                cursor.movePosition(QTextCursor::PreviousBlock);
                cursor.movePosition(QTextCursor::EndOfBlock);
            }
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        }
        cursor.removeSelectedText();
    }

    void Clear() override { edit->clear(); }

private:
    QPlainTextEdit* edit;
};

TMemo::TMemo(TComponent* owner) : TWinControl(owner, classlib::makeWidget<QPlainTextEdit>())
{
    lines.reset(new MemoLines(editor(Widget())));
    editor(Widget())->installEventFilter(new ReturnFilter(this, Widget()));
    SetScrollBars(ssNone);
}

TMemo::~TMemo() = default;

std::string TMemo::Caption() const
{
    return classlib::fromQ(editor(Widget())->toPlainText());
}

void TMemo::SetCaption(const std::string& text)
{
    editor(Widget())->setPlainText(classlib::toQ(text));
}

bool TMemo::ReadOnly() const
{
    return editor(Widget())->isReadOnly();
}

void TMemo::SetReadOnly(bool readOnly)
{
    editor(Widget())->setReadOnly(readOnly);
}

void TMemo::SetScrollBars(TScrollStyle style)
{
    scrollBars = style;
    bool horizontal = style == ssHorizontal || style == ssBoth;
    bool vertical = style == ssVertical || style == ssBoth;
    editor(Widget())->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    editor(Widget())->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

bool TMemo::WordWrap() const
{
    return editor(Widget())->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TMemo::SetWordWrap(bool wrap)
{
    editor(Widget())->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
