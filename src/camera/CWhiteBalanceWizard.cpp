#include "camera/CWhiteBalanceWizard.h"

#include <QBasicTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimerEvent>

#include "camera/CPreviewWnd.h"
#include "camera/FrameSurface.h"
#include "camera/PageControls.h"
#include "res/Resources.h"
#include "res/ids.h"

namespace korvel::camera {

using namespace korvel::res;

// The live picture: the newest picture the decode thread drew into the surface.
class CWhiteBalanceWizard::Picture : public QWidget {
public:
    Picture(FrameSurface& surface, QWidget* parent) : QWidget(parent), surface_(surface) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // True when a new picture came since the last paint.
    bool hasNewPicture() const { return surface_.publishedCount() != painted_; }

protected:
    void resizeEvent(QResizeEvent*) override { surface_.setTargetSize(size()); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const SurfacePicture& newest = surface_.takeNewest();
        painted_ = surface_.publishedCount();
        if (newest.serial == 0 || newest.width <= 0) {
            painter.fillRect(rect(), Qt::black);
            return;
        }
        painter.drawImage(rect(), newest.image());
    }

private:
    FrameSurface& surface_;
    std::uint64_t painted_ = 0;
};

namespace {

// The step pictures (bitmaps 250 and 251): a slide under the objective, without the
// sample in step 1, with it in step 2.
QPixmap stepPixmap(int step) {
    QPixmap pixmap(260, 200);
    pixmap.fill(QColor(216, 231, 254));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 90), 2));
    painter.setBrush(QColor(170, 180, 200));
    painter.drawRect(110, 20, 40, 70);  // objective
    painter.setBrush(QColor(230, 240, 250));
    painter.drawRect(40, 120, 180, 16);  // slide
    if (step == 2) {
        painter.setBrush(QColor(200, 90, 150));
        painter.drawEllipse(QPointF(130, 128), 16, 6);  // the sample under the lens
    } else {
        painter.setBrush(QColor(200, 90, 150));
        painter.drawEllipse(QPointF(200, 128), 12, 5);  // moved aside
    }
    QFont font = painter.font();
    font.setPixelSize(28);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 150, 260, 40), Qt::AlignCenter, QString::number(step));
    return pixmap;
}

// Icon 239: an arrow pointing at the button beside it.
QPixmap arrowPixmap() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 110, 200));
    const QPointF arrow[] = {{28, 16}, {14, 4}, {14, 11}, {4, 11}, {4, 21}, {14, 21}, {14, 28}};
    painter.drawPolygon(arrow, 7);
    return pixmap;
}

QPushButton* button(QWidget* parent, const char* text, int id, const QRect& place) {
    auto* b = page::control(new QPushButton(QString::fromLatin1(text), parent), id, place);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

CWhiteBalanceWizard::CWhiteBalanceWizard(QWidget* parent, int imageWidth, int imageHeight,
                                         FrameSurface* surface, QRect screen)
    : QDialog(parent),
      ownSurface_(surface ? nullptr : std::make_unique<FrameSurface>()),
      surface_(surface ? surface : ownSurface_.get()),
      imageWidth_(imageWidth),
      imageHeight_(imageHeight),
      repaint_(std::make_unique<QBasicTimer>()) {
    setObjectName(QStringLiteral("Dialog%1").arg(IDD_WHITE_BALANCE_WIZARD));
    setWindowTitle(QStringLiteral("White Balance Wizard"));

    // 1. The whole screen.
    if (screen.isEmpty()) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        screen = primary ? primary->geometry() : QRect(0, 0, 1024, 768);
    }
    setGeometry(0, 0, screen.width(), screen.height());
    layout_ = wizardLayout(screen.size(), QSize(imageWidth_, imageHeight_));

    // 2, 3. The picture area and the right-hand panel.
    picture_ = page::control(new Picture(*surface_, this), IDC_WIZARD_PICTURE, layout_.picture);
    surface_->setTargetSize(layout_.picture.size());
    stepPicture_ =
        page::control(new QPushButton(this), IDC_WIZARD_STEP_PICTURE, layout_.stepPicture);
    stepPicture_->setFlat(true);
    stepPicture_->setIconSize(layout_.stepPicture.size());
    stepPicture_->setFocusPolicy(Qt::NoFocus);

    // 4. The step texts.
    step1Text_ = page::control(new QLabel(loadString(IDS_WIZARD_STEP1), this),
                               IDC_WIZARD_STEP1_TEXT, layout_.step1Text);
    step2Text_ = page::control(new QLabel(loadString(IDS_WIZARD_STEP2), this),
                               IDC_WIZARD_STEP2_TEXT, layout_.step2Text);
    for (QLabel* text : {step1Text_, step2Text_}) {
        text->setWordWrap(true);
        text->setAutoFillBackground(false);
        QPalette black = text->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        text->setPalette(black);
    }
    step2Text_->hide();

    reference_ = button(this, "Reference", IDC_WIZARD_REFERENCE, layout_.reference);
    reference_->hide();
    reference_->setEnabled(false);
    whiteBalance_ = button(this, "White Balance", IDC_WIZARD_WHITE_BALANCE, layout_.whiteBalance);
    finish_ = button(this, "Finish", IDC_WIZARD_FINISH, layout_.finish);
    redo_ = button(this, "Redo", IDC_WIZARD_REDO, layout_.redo);

    const QPixmap arrow = arrowPixmap();
    const int iconIds[4] = {IDC_WIZARD_REFERENCE_ICON, IDC_WIZARD_WHITE_BALANCE_ICON,
                            IDC_WIZARD_FINISH_ICON, IDC_WIZARD_REDO_ICON};
    const QRect iconPlaces[4] = {layout_.referenceIcon, layout_.whiteBalanceIcon,
                                 layout_.finishIcon, layout_.redoIcon};
    for (int i = 0; i < 4; ++i) {
        icons_[i] = page::control(new QLabel(this), iconIds[i], iconPlaces[i]);
        icons_[i]->setPixmap(arrow);
    }
    icons_[0]->hide();

    connect(whiteBalance_, &QPushButton::clicked, this, [this] { onWhiteBalance(); });
    connect(redo_, &QPushButton::clicked, this, [this] { onRedo(); });
    connect(finish_, &QPushButton::clicked, this, [this] { onFinish(); });

    // 5, 6. The gains to restore, then step 1.
    steps_.start();
    showStep();

    // The decode thread draws at its own pace; the picture follows without flooding the
    // event queue.
    repaint_->start(40, this);
}

CWhiteBalanceWizard::~CWhiteBalanceWizard() = default;

QWidget* CWhiteBalanceWizard::picture() const {
    return picture_;
}

QLabel* CWhiteBalanceWizard::icon(int controlId) const {
    for (QLabel* i : icons_) {
        if (i->objectName() == QString::number(controlId)) {
            return i;
        }
    }
    return nullptr;
}

void CWhiteBalanceWizard::showStep() {
    const WizardStepControls controls = wizardStepControls(steps_.step());
    whiteBalance_->setEnabled(controls.whiteBalance);
    icons_[1]->setVisible(controls.whiteBalance);
    step1Text_->setVisible(controls.whiteBalance);
    finish_->setEnabled(controls.finish);
    icons_[2]->setVisible(controls.finish);
    step2Text_->setVisible(controls.finish);
    redo_->setEnabled(controls.redo);
    icons_[3]->setVisible(controls.redo);
    const QPixmap picture = stepPixmap(controls.stepBitmap == IDB_WIZARD_STEP2 ? 2 : 1);
    stepPicture_->setIcon(QIcon(picture));
    stepPicture_->setProperty("bitmap", controls.stepBitmap);
    update();
}

void CWhiteBalanceWizard::onWhiteBalance() {
    steps_.whiteBalance();
    showStep();
}

void CWhiteBalanceWizard::onRedo() {
    if (steps_.redo()) {
        showStep();
    }
}

void CWhiteBalanceWizard::onFinish() {
    // The balance the camera made stays.
    accept();
}

void CWhiteBalanceWizard::reject() {
    steps_.cancel();
    QDialog::reject();
}

void CWhiteBalanceWizard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const int panelLeft = area.width() - kWizardPanelWidth;
    painter.fillRect(QRect(panelLeft, 0, kWizardPanelWidth, area.height()), kPanelColour);
    painter.setPen(QPen(Qt::black));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(0, 0, panelLeft, area.height()).adjusted(0, 0, -1, -1));
}

void CWhiteBalanceWizard::timerEvent(QTimerEvent* event) {
    if (event->timerId() == repaint_->timerId()) {
        if (picture_->hasNewPicture()) {
            picture_->update();
        }
        return;
    }
    QDialog::timerEvent(event);
}

int runWhiteBalanceWizard(CPreviewWnd& preview, FrameSurface& surface, QWidget* parent,
                          const WizardRunner& run) {
    const QSize drawing =
        preview.drawingSurface() ? preview.drawingSurface()->size() : preview.size();
    CWhiteBalanceWizard wizard(parent, drawing.width(), drawing.height(), &surface);
    preview.setZoomTarget(&surface);
    const int result = run ? run(wizard) : wizard.exec();
    preview.setZoomTarget(nullptr);
    return result;
}

}  // namespace korvel::camera
