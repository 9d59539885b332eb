#include "platform/classlib/TLabel.h"

#include "platform/classlib/Qtsupport.h"

#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>

namespace {

// A QLabel that keeps the whole caption and shows as much of it as its width allows.
class CaptionLabel : public QLabel {
public:
    CaptionLabel() { setTextFormat(Qt::PlainText); }

    QString caption() const { return whole; }
    void setCaption(const QString& text)
    {
        whole = text;
        fit();
    }
    TEllipsisPosition ellipsis() const { return position; }
    void setEllipsis(TEllipsisPosition value)
    {
        position = value;
        fit();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit()
    {
        QString shown = whole;
        if (position != epNone) {
            const Qt::TextElideMode mode = position == epPathEllipsis ? Qt::ElideMiddle : Qt::ElideRight;
            shown = fontMetrics().elidedText(whole, mode, contentsRect().width());
        }
        setToolTip(shown != whole ? whole : QString());
        if (text() != shown) {
            setText(shown);
        }
    }

    QString whole;
    TEllipsisPosition position = epNone;
};

CaptionLabel* labelOf(const TLabel* label)
{
    return static_cast<CaptionLabel*>(label->Widget());
}

}  // namespace

TLabel::TLabel(TComponent* owner) : TControl(owner, classlib::makeWidget<CaptionLabel>()) {}

TLabel::~TLabel() = default;

std::string TLabel::Caption() const
{
    return classlib::fromQ(labelOf(this)->caption());
}

void TLabel::SetCaption(const std::string& caption)
{
    CaptionLabel* label = labelOf(this);
    label->setCaption(classlib::toQ(caption));
    // Labels size themselves to their text, as the class library's AutoSize does.
    if (autoSize) {
        label->adjustSize();
    }
}

void TLabel::SetAutoSize(bool value)
{
    autoSize = value;
    if (autoSize) {
        labelOf(this)->adjustSize();
    }
}

TEllipsisPosition TLabel::EllipsisPosition() const
{
    return labelOf(this)->ellipsis();
}

void TLabel::SetEllipsisPosition(TEllipsisPosition position)
{
    labelOf(this)->setEllipsis(position);
}
