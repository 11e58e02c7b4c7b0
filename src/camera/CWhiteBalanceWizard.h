#pragma once

// The full-screen "White Balance Wizard" (dialog 236): the live picture on the left, and on
// the right the two steps of a balance against an empty field: step 1 asks to move the
// sample out of view and press "White Balance", step 2 to move it back and press "Finish".
// Closing it any other way puts the gains of its opening back. The rules live in
// WhiteBalance (WhiteBalanceSteps, wizardLayout).

#include <QDialog>
#include <QRect>

#include <functional>
#include <memory>

#include "camera/WhiteBalance.h"

class QBasicTimer;
class QLabel;
class QPushButton;

namespace korvel::camera {

class CPreviewWnd;
class FrameSurface;

class CWhiteBalanceWizard : public QDialog {
public:
    static constexpr QColor kPanelColour{216, 231, 254};

    // `imageWidth` x `imageHeight` is the live image's size. The live picture is drawn into
    // `surface` (the preview's zoom target while the wizard is open); without one the
    // wizard keeps its own. `screen` is the area to cover, the primary screen's when empty.
    CWhiteBalanceWizard(QWidget* parent, int imageWidth, int imageHeight,
                        FrameSurface* surface = nullptr, QRect screen = {});
    ~CWhiteBalanceWizard() override;

    FrameSurface& surface() { return *surface_; }
    const WhiteBalanceSteps& steps() const { return steps_; }
    int step() const { return steps_.step(); }
    const WizardLayout& layout() const { return layout_; }

    // The controls, for tests.
    QWidget* picture() const;
    QPushButton* stepPicture() const { return stepPicture_; }
    QLabel* step1Text() const { return step1Text_; }
    QLabel* step2Text() const { return step2Text_; }
    QPushButton* whiteBalanceButton() const { return whiteBalance_; }
    QPushButton* finishButton() const { return finish_; }
    QPushButton* redoButton() const { return redo_; }
    QPushButton* referenceButton() const { return reference_; }
    QLabel* icon(int controlId) const;

    void onWhiteBalance();
    void onRedo();
    void onFinish();
    // The close box (and Escape): the gains of the opening go back to the camera.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    class Picture;
    void showStep();

    std::unique_ptr<FrameSurface> ownSurface_;
    FrameSurface* surface_;
    WhiteBalanceSteps steps_;
    WizardLayout layout_;
    int imageWidth_;
    int imageHeight_;

    // Children, owned through Qt's parent.
    Picture* picture_;
    QPushButton* stepPicture_;
    QLabel* step1Text_;
    QLabel* step2Text_;
    QPushButton* reference_;
    QPushButton* whiteBalance_;
    QPushButton* finish_;
    QPushButton* redo_;
    QLabel* icons_[4];  // beside "Reference", "White Balance", "Finish", "Redo"
    std::unique_ptr<QBasicTimer> repaint_;
};

// Runs the wizard over the live picture of `preview` (command 32994): the wizard is made
// with the size of the preview's drawing rectangle, the decode thread draws into `surface`
// instead of the preview while it is open, and the preview has its picture back after. The
// surface must outlive the preview's threads (the camera window keeps it), since a frame
// may still be drawn into it while the wizard closes. `run` shows the wizard and returns
// its result (modal exec() when empty).
using WizardRunner = std::function<int(CWhiteBalanceWizard& wizard)>;
int runWhiteBalanceWizard(CPreviewWnd& preview, FrameSurface& surface, QWidget* parent,
                          const WizardRunner& run = {});

}  // namespace korvel::camera
