#include "SheetHarness.h"

#include "camera/CResolutionPage.h"
#include "camera/SettingsSheetControls.h"

#include <QComboBox>
#include <QImage>
#include <QPushButton>

using namespace korvel::camera;
using korvel::camera::test::SheetTest;

namespace {

class ResolutionPage : public SheetTest {
protected:
    // A stand-in for the save configuration dialog that hosts the page.
    std::unique_ptr<CResolutionPage> host(int type) {
        openCamera(type);
        auto page = std::make_unique<CResolutionPage>();
        page->AttachRecord(&record);
        return page;
    }
    static QStringList entries(const QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) {
            texts << list->itemText(i);
        }
        return texts;
    }
};

// What the camera library lists for the open camera.
QStringList cameraResolutions() {
    QStringList texts;
    KRVCamera_Registerpixel(&texts, [](void* list, const char* text) {
        *static_cast<QStringList*>(list) << QString::fromUtf8(text);
    });
    return texts;
}

}  // namespace

TEST(ResolutionLock, ForcedWhenTheRecordForbidsSeparateResolutions) {
    CameraRecord record;
    record.separateCaptureAllowed = 1;
    EXPECT_FALSE(effectiveResolutionLock(record, false));
    EXPECT_TRUE(effectiveResolutionLock(record, true));
    record.separateCaptureAllowed = 0;
    EXPECT_TRUE(effectiveResolutionLock(record, false));
    EXPECT_EQ(otherResolutionEntry(true, 2, 0), 2);
    EXPECT_EQ(otherResolutionEntry(false, 2, 0), 0);
}

TEST_F(ResolutionPage, BothListsHoldTheCamerasResolutions) {
    record.previewResolution = 1;
    record.captureResolution = 2;
    record.resolutionLock = 0;
    openCamera(1);
    const QStringList expected = cameraResolutions();
    ASSERT_GE(expected.size(), 3);
    CResolutionPage page;
    page.AttachRecord(&record);
    EXPECT_EQ(entries(page.previewList()), expected);
    EXPECT_EQ(entries(page.captureList()), expected);
    EXPECT_EQ(page.previewList()->currentIndex(), 1);
    EXPECT_EQ(page.captureList()->currentIndex(), 2);
    EXPECT_FALSE(page.locked());
}

TEST_F(ResolutionPage, WithTheLockOnTheThirdPreviewEntrySelectsTheThirdCaptureEntry) {
    auto page = host(1);
    record.resolutionLock = 1;
    page->AttachRecord(&record);
    ASSERT_TRUE(page->locked());
    page->previewList()->setCurrentIndex(2);
    page->onPreviewChosen(2);
    EXPECT_EQ(page->captureList()->currentIndex(), 2);
    page->captureList()->setCurrentIndex(0);
    page->onCaptureChosen(0);
    EXPECT_EQ(page->previewList()->currentIndex(), 0);

    // Unlocked, the lists go their own ways; locking again aligns capture to preview.
    page->lockButton()->click();
    ASSERT_FALSE(page->locked());
    page->previewList()->setCurrentIndex(1);
    page->onPreviewChosen(1);
    EXPECT_EQ(page->captureList()->currentIndex(), 0);
    page->lockButton()->click();
    EXPECT_EQ(page->captureList()->currentIndex(), 1);

    page->StoreToRecord(&record);
    EXPECT_EQ(record.resolutionLock, 1);
    EXPECT_EQ(record.previewResolution, 1);
    EXPECT_EQ(record.captureResolution, 1);
}

TEST_F(ResolutionPage, ReleasingAForcedLockHasNoEffect) {
    record.separateCaptureAllowed = 0;
    record.resolutionLock = 1;
    auto page = host(14);
    record.separateCaptureAllowed = 0;
    page->AttachRecord(&record);
    ASSERT_TRUE(page->locked());
    page->captureList()->setCurrentIndex(2);  // out of step before the click
    page->lockButton()->click();
    EXPECT_TRUE(page->locked());
    EXPECT_TRUE(page->lockButton()->isChecked());
    EXPECT_EQ(page->captureList()->currentIndex(), page->previewList()->currentIndex());
}

TEST_F(ResolutionPage, TheBracketIsDrawnOnlyWhileLocked) {
    auto page = host(1);
    const auto shadowPixels = [&] {
        QImage shot = page->grab().toImage();
        const QRect lock = page->lockButton()->geometry();
        const QColor shadow = page->palette().color(QPalette::Shadow);
        // Between the preview list's right edge and the lock, at the list's middle.
        const int y = page->previewList()->geometry().center().y();
        int count = 0;
        for (int x = page->previewList()->geometry().right() + 2; x < lock.center().x(); ++x) {
            count += shot.pixelColor(x, y).rgb() == shadow.rgb() ? 1 : 0;
        }
        return count;
    };
    record.resolutionLock = 1;
    page->AttachRecord(&record);
    EXPECT_GT(shadowPixels(), 5);
    record.resolutionLock = 0;
    page->AttachRecord(&record);
    EXPECT_EQ(shadowPixels(), 0);
}
