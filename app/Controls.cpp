#include "app/Controls.h"

#include "platform/Platform.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

TColorPanel::TColorPanel(QWidget* Parent) : QFrame(Parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    SetColor(clRed);
}

void TColorPanel::SetColor(TColor C)
{
    color_ = C;
    update();
}

void TColorPanel::paintEvent(QPaintEvent* Event)
{
    // The colour fills the panel inside its raised edge, whatever the style.
    {
        QPainter p(this);
        p.fillRect(contentsRect(), ToQColor(color_));
    }
    QFrame::paintEvent(Event);
}

void TColorPanel::mouseReleaseEvent(QMouseEvent* Event)
{
    QFrame::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) && OnClick)
        OnClick(this);
}

TTrackBar::TTrackBar(QWidget* Parent) : QSlider(Qt::Horizontal, Parent)
{
    setTickPosition(QSlider::TicksBelow);
    setPageStep(1);
    setSingleStep(1);
}

void TTrackBar::SetMax(int V)
{
    if (V < minimum()) return;
    setMaximum(V);
}

TStatusBar::TStatusBar(QWidget* Parent) : QFrame(Parent), label_(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(label_);
    label_->setTextFormat(Qt::PlainText);
}

std::string TStatusBar::SimpleText() const { return label_->text().toLocal8Bit().toStdString(); }

void TStatusBar::SetSimpleText(const std::string& Text) { label_->setText(QString::fromLocal8Bit(Text.c_str())); }

bool TColorDialog::Execute()
{
    TColor chosen = color_;
    if (!platform::prompts().ColorDialog(color_, chosen)) return false;
    color_ = chosen;
    return true;
}

namespace {
// A label or a check box keeps its designed place but grows to its caption
// where the designed width would clip it (another font, another scale).
QRect FitCaption(const QWidget* Control, QRect R)
{
    if (qobject_cast<const QLabel*>(Control) || qobject_cast<const QCheckBox*>(Control))
        R.setWidth(std::max(R.width(), Control->sizeHint().width()));
    return R;
}
}  // namespace

void TAnchorLayout::Add(QWidget* Control, QRect Designed, TAnchors Anchors)
{
    items_.push_back({Control, Designed, Anchors});
    Control->setGeometry(FitCaption(Control, Designed));
}

TAnchors TAnchorLayout::AnchorsOf(const QWidget* Control) const
{
    for (const Item& i : items_)
        if (i.Control == Control) return i.Anchors;
    return 0;
}

void TAnchorLayout::Apply(QSize Client) const
{
    const int dx = Client.width() - design_.width();
    const int dy = Client.height() - design_.height();
    for (const Item& i : items_) {
        QRect r = i.Designed;
        if ((i.Anchors & akLeft) && (i.Anchors & akRight)) r.setWidth(std::max(0, r.width() + dx));
        else if (i.Anchors & akRight) r.moveLeft(r.left() + dx);
        if ((i.Anchors & akTop) && (i.Anchors & akBottom)) r.setHeight(std::max(0, r.height() + dy));
        else if (i.Anchors & akBottom) r.moveTop(r.top() + dy);
        i.Control->setGeometry(FitCaption(i.Control, r));
    }
}

QRect FitOnScreen(QRect Frame, QRect Available)
{
    if (Available.isEmpty() || Available.contains(Frame)) return Frame;
    // The top left corner stays on the screen when the frame is larger.
    const int left = std::max(Available.left(), std::min(Frame.left(), Available.right() + 1 - Frame.width()));
    const int top = std::max(Available.top(), std::min(Frame.top(), Available.bottom() + 1 - Frame.height()));
    Frame.moveTo(left, top);
    return Frame;
}

void TAnchorLayout::Scale(double Factor)
{
    auto s = [Factor](int v) { return int(std::lround(v * Factor)); };
    for (Item& i : items_)
        i.Designed = QRect(s(i.Designed.left()), s(i.Designed.top()), s(i.Designed.width()), s(i.Designed.height()));
    design_ = QSize(s(design_.width()), s(design_.height()));
}
