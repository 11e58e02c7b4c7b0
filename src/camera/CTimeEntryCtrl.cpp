#include "camera/CTimeEntryCtrl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

#include <algorithm>

namespace korvel::camera {

namespace {

// Sizes and places of the control's parts, in pixels.
constexpr QSize kDisplaySize{90, 20};
constexpr QSize kSliderSize{120, 20};
constexpr QSize kSpinSize{20, 20};
constexpr QSize kInputSize{50, 20};
constexpr QSize kButtonSize{15, 20};
constexpr QPoint kDisplayAt{5, 0};
constexpr QPoint kInputAt{15, 1};
constexpr int kLegendX = 17;
constexpr int kPromptX = 15;
constexpr const char* kLegend = "  M :  S  .  m  ";
constexpr const char* kFontFace = "MS Sans Serif";
constexpr int kFontHeight = 12;

unsigned requestFor(int field) {
    return static_cast<unsigned>(res::MSG_TIME_EDIT_MINUTES + field - TimeEntryModel::kMinutes);
}

}  // namespace

// The read-only display: a click selects the field under the caret, a double click asks to
// edit it, a typed digit starts editing the selected field. The selected field stays
// highlighted whatever the text box does with its own selection.
class CTimeEntryCtrl::DisplayField : public QLineEdit {
public:
    explicit DisplayField(CTimeEntryCtrl* owner) : QLineEdit(owner), owner_(owner) {
        setReadOnly(true);
        setAlignment(Qt::AlignCenter);
        setContextMenuPolicy(Qt::NoContextMenu);
    }

    void highlight() {
        const auto [start, end] = TimeEntryModel::fieldCharacters(owner_->model_.selectedField());
        setSelection(start, end - start);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QLineEdit::mousePressEvent(event);
        if (event->button() == Qt::LeftButton) {
            owner_->model_.clickAt(cursorPositionAt(event->position().toPoint()));
        }
        highlight();
    }
    void mouseMoveEvent(QMouseEvent*) override {}  // no drag selection
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLineEdit::mouseReleaseEvent(event);
        highlight();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        if (const auto field =
                TimeEntryModel::fieldAtCaret(cursorPositionAt(event->position().toPoint()))) {
            framework::postMessage(owner_, {requestFor(*field), 0, 0, {}});
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        const QString text = event->text();
        if (text.size() == 1 && text[0] >= u'0' && text[0] <= u'9') {
            framework::postMessage(owner_, {static_cast<unsigned>(res::MSG_TIME_DIGIT_TYPED),
                                            static_cast<std::uintptr_t>(text[0].unicode()),
                                            0,
                                            {}});
            event->accept();
            return;
        }
        switch (event->key()) {
            case Qt::Key_Delete:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                event->accept();  // never reaches the dialog around the control
                return;
            default:
                break;
        }
        if (!text.isEmpty() && text[0].isPrint()) {
            event->accept();  // other characters are discarded
            return;
        }
        QLineEdit::keyPressEvent(event);
        highlight();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        highlight();
    }

private:
    CTimeEntryCtrl* owner_;
};

// The input box of edit mode: digits, Backspace and "." pass; Enter commits.
class CTimeEntryCtrl::InputBox : public QLineEdit {
public:
    explicit InputBox(CTimeEntryCtrl* owner) : QLineEdit(owner), owner_(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            owner_->commit();
            return;
        }
        if (event->key() == Qt::Key_Backspace) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        const QString text = event->text();
        if (!text.isEmpty() && !TimeEntryModel::isInputCharacter(text[0].unicode())) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

private:
    CTimeEntryCtrl* owner_;
};

CTimeEntryCtrl::CTimeEntryCtrl(const QRect& rect, int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId) {
    setGeometry(rect);
    setAutoFillBackground(false);

    display_ = new DisplayField(this);
    display_->setFont(textFont());
    display_->resize(kDisplaySize);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(0, 100);
    slider_->resize(kSliderSize);
    connect(slider_, &QSlider::valueChanged, this, [this] { sliderMoved(); });

    spinUp_ = new QToolButton(this);
    spinUp_->setArrowType(Qt::UpArrow);
    spinUp_->setAutoRepeat(true);
    spinDown_ = new QToolButton(this);
    spinDown_->setArrowType(Qt::DownArrow);
    spinDown_->setAutoRepeat(true);
    connect(spinUp_, &QToolButton::clicked, this, [this] { model_.spin(1); });
    connect(spinDown_, &QToolButton::clicked, this, [this] { model_.spin(-1); });

    input_ = new InputBox(this);
    input_->resize(kInputSize);
    yes_ = new QPushButton("Y", this);
    no_ = new QPushButton("N", this);
    for (QPushButton* button : {yes_, no_}) {
        button->setAutoDefault(false);
        button->setFixedSize(kButtonSize);
    }
    connect(yes_, &QPushButton::clicked, this, [this] { commit(); });
    connect(no_, &QPushButton::clicked, this, [this] { cancel(); });
    input_->hide();
    yes_->hide();
    no_->hide();

    model_.setFieldWritten([this](bool syncSlider) { fieldWritten(syncSlider); });
    applyColours();
    layoutChildren();
    showTime();
    show();
}

CTimeEntryCtrl::~CTimeEntryCtrl() = default;

QLineEdit* CTimeEntryCtrl::displayField() const {
    return display_;
}

QLineEdit* CTimeEntryCtrl::inputBox() const {
    return input_;
}

QFont CTimeEntryCtrl::textFont() const {
    QFont font(kFontFace);
    font.setPixelSize(kFontHeight);
    return font;
}

void CTimeEntryCtrl::SetMaxTime(int minutes, int seconds, int milliseconds) {
    model_.setMaxTime(minutes, seconds, milliseconds);
}

bool CTimeEntryCtrl::SetTimeMs(int time) {
    return model_.setTimeMs(time);
}

void CTimeEntryCtrl::SetSelectedField(int field) {
    model_.setSelectedField(field);
    display_->highlight();
}

void CTimeEntryCtrl::SetBackgroundColor(const QColor& colour) {
    background_ = colour;
    applyColours();
    update();
}

void CTimeEntryCtrl::ShowSlider(bool show) {
    showSlider_ = show;
    layoutChildren();
}

void CTimeEntryCtrl::SetFieldHeight(int pixels) {
    fieldHeight_ = std::max(1, pixels);
    layoutChildren();
}

void CTimeEntryCtrl::applyColours() {
    // The slider's channel and thumb take the background colour.
    QPalette palette = slider_->palette();
    palette.setColor(QPalette::Window, background_);
    palette.setColor(QPalette::Button, background_);
    slider_->setPalette(palette);
}

void CTimeEntryCtrl::layoutChildren() {
    const bool editing = isEditing();
    display_->setGeometry(QRect(kDisplayAt, QSize(kDisplaySize.width(), fieldHeight_)));
    const int spinX = kDisplayAt.x() + kDisplaySize.width() + 2;
    spinUp_->setGeometry(spinX, 0, kSpinSize.width(), kSpinSize.height() / 2);
    spinDown_->setGeometry(spinX, kSpinSize.height() / 2, kSpinSize.width(),
                           kSpinSize.height() / 2);
    slider_->setGeometry(QRect(QPoint(0, kSliderSize.height() + 12), kSliderSize));

    input_->move(kInputAt);
    yes_->move(kInputAt.x() + kInputSize.width() + 5, kInputAt.y());
    no_->move(yes_->x() + kButtonSize.width() + 1, kInputAt.y());

    display_->setVisible(!editing);
    spinUp_->setVisible(!editing);
    spinDown_->setVisible(!editing);
    slider_->setVisible(!editing && showSlider_);
    input_->setVisible(editing);
    yes_->setVisible(editing);
    no_->setVisible(editing);
    update();
}

void CTimeEntryCtrl::fieldWritten(bool syncSlider) {
    showTime();
    notifyParent();
    if (syncSlider) {
        framework::postMessage(this, {static_cast<unsigned>(res::MSG_TIME_SYNC_SLIDER), 0, 0, {}});
    }
}

void CTimeEntryCtrl::notifyParent() {
    framework::MessageTarget* target =
        notifyTarget_ ? notifyTarget_ : dynamic_cast<framework::MessageTarget*>(parentWidget());
    framework::postMessage(target, {WM_TIMECHANGE, static_cast<std::uintptr_t>(controlId_), 0, {}});
}

void CTimeEntryCtrl::showTime() {
    display_->setText(QString::fromStdString(model_.displayText()));
    display_->highlight();
}

double CTimeEntryCtrl::sliderTravel() const {
    QStyleOptionSlider option;
    option.initFrom(slider_);
    option.orientation = Qt::Horizontal;
    option.minimum = slider_->minimum();
    option.maximum = slider_->maximum();
    const QRect groove = slider_->style()->subControlRect(QStyle::CC_Slider, &option,
                                                          QStyle::SC_SliderGroove, slider_);
    const QRect handle = slider_->style()->subControlRect(QStyle::CC_Slider, &option,
                                                          QStyle::SC_SliderHandle, slider_);
    return std::max(0, groove.width() - handle.width());
}

void CTimeEntryCtrl::syncSliderToTime() {
    syncingSlider_ = true;
    slider_->setValue(
        model_.sliderPosition(sliderTravel(), slider_->maximum() - slider_->minimum()));
    syncingSlider_ = false;
}

void CTimeEntryCtrl::sliderMoved() {
    if (syncingSlider_) {
        return;
    }
    const double range = slider_->maximum() - slider_->minimum();
    const double travel = sliderTravel();
    const double offset = range > 0 ? (slider_->value() - slider_->minimum()) / range * travel : 0;
    model_.setFromSlider(model_.timeAtSliderOffset(offset, travel));
}

void CTimeEntryCtrl::enterEdit(const std::string& text) {
    layoutChildren();
    input_->setText(QString::fromStdString(text));
    input_->setFocus(Qt::OtherFocusReason);
    input_->setCursorPosition(static_cast<int>(input_->text().size()));
}

void CTimeEntryCtrl::leaveEdit() {
    layoutChildren();
    display_->highlight();
}

void CTimeEntryCtrl::commit() {
    if (!isEditing()) {
        return;
    }
    if (model_.commit(input_->text().toStdString())) {
        leaveEdit();
    }
}

void CTimeEntryCtrl::cancel() {
    model_.cancel();
    leaveEdit();
}

std::intptr_t CTimeEntryCtrl::onMessage(const framework::Message& message) {
    switch (message.id) {
        case res::MSG_TIME_EDIT_MINUTES:
        case res::MSG_TIME_EDIT_SECONDS:
        case res::MSG_TIME_EDIT_MILLISECONDS:
            if (isEnabled()) {
                enterEdit(model_.beginEdit(static_cast<int>(message.id) -
                                           res::MSG_TIME_EDIT_MINUTES + TimeEntryModel::kMinutes));
            }
            return 0;
        case res::MSG_TIME_DIGIT_TYPED:
            if (isEnabled() && !isEditing() && message.wParam >= '0' && message.wParam <= '9') {
                enterEdit(model_.beginEditWithDigit(static_cast<char>(message.wParam)));
            }
            return 0;
        case res::MSG_TIME_SYNC_SLIDER:
            syncSliderToTime();
            return 0;
        case WM_TIMECHANGE:
            notifyParent();
            return 0;
        default:
            return 0;
    }
}

void CTimeEntryCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    painter.setFont(textFont());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QFontMetrics metrics(painter.font());
    if (isEditing()) {
        painter.drawText(QPoint(kPromptX, kButtonSize.height() + metrics.ascent()),
                         QString::fromUtf8(model_.prompt().data(),
                                           static_cast<qsizetype>(model_.prompt().size())));
    } else {
        painter.drawText(QPoint(kLegendX, kSpinSize.height() + 1 + metrics.ascent()), kLegend);
    }
}

}  // namespace korvel::camera
