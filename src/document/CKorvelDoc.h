#pragma once

// The image document: one open picture shown by one CKorvelView, with its eight undo
// steps, its view settings, its selection outline and the threads that run an image
// operation while a second thread reports progress.

#include "document/SelectionOutline.h"
#include "document/UndoRing.h"
#include "framework/CDocument.h"
#include "image/KxImageJPG.h"
#include "measure/MeasureBinding.h"
#include "platform/ManualResetEvent.h"

#include <QImage>
#include <QPoint>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class KxImage;

namespace korvel::document {

struct DocumentContext;
class ImageCommandRunner;

class CKorvelDoc : public framework::CDocument {
    Q_OBJECT

public:
    // An image operation run on the worker thread, in place on the picture.
    using Operation = std::function<bool(KxImage& picture)>;

    // Tools of the view.
    enum Tool {
        kNoTool = -1,
        kMove = 0,
        kSelect = 1,
        kZoom = 2,
        kText = 3,
        kTracker = 4,
        kMeasure = 6
    };

    static constexpr int kSelectionCapacity = 8000;

    explicit CKorvelDoc(DocumentContext& context);
    ~CKorvelDoc() override;

    DocumentContext& context() const { return context_; }

    // The picture; null for an empty document.
    KxImage* image() const { return image_.get(); }
    // Gives the document a picture (the creation contract of every creator).
    void setImage(std::unique_ptr<KxImage> picture);
    // Gives the document a picture from the screen or the clipboard.
    void attachPicture(const QImage& picture);
    // Gives the document a picture from a BMP file image or a packed DIB (the clipboard's
    // "image/bmp"); false when the bytes hold no picture.
    bool attachBitmapBytes(const QByteArray& bytes);
    bool hasPicture() const;
    // Counts changes of the picture, so that a view's display copy can tell it is stale.
    // Everything that replaces or edits the picture calls pictureChanged().
    std::uint64_t pictureGeneration() const { return generation_.load(); }
    void pictureChanged() { ++generation_; }

    // The first document of a run hosts the thumbnail list and refuses to close until
    // the application is shutting down.
    bool isStartPage() const { return startPage_; }
    void setStartPage(bool startPage);

    bool OnNewDocument() override;
    bool OnOpenDocument(const QString& path) override;
    bool OnSaveDocument(const QString& path) override;
    bool DoSave(const QString& path, bool replace = true) override;
    bool SaveModified() override;

    void StoreUndo();
    void Undo();
    void Redo();
    int undoLevel() const { return undo_.level(); }
    bool canRedo() const { return undo_.canRedo(); }

    // Copies the picture to the clipboard as a device-independent bitmap.
    void CopyToClipboard();
    // A new document with a full copy, titled "Copy %d of %s".
    CKorvelDoc* Duplicate();

    // Runs `operation` on the worker thread (command id and parameters are kept for the
    // operation's own use); false while another one runs.
    bool StartOperation(int command, std::array<int, 5> parameters, Operation operation);
    bool isBusy() const { return busy_.load(); }
    // Stops a running operation early and waits for both threads, serving their messages.
    void StopOperation();
    // The user's stop (Escape): stops a running operation, which leaves the picture as
    // its undo copy had it, and clears the stop again so that later operations run. False
    // when no operation was running.
    bool CancelOperation();
    int operationCommand() const { return operationCommand_; }
    const std::array<int, 5>& operationParameters() const { return operationParameters_; }

    void StopwatchStart();
    void StopwatchStop();
    float elapsedSeconds() const { return elapsed_; }

    // Writes size, type and time of the picture to the status bar.
    void refreshStatus();

    // View settings kept with the picture.
    float zoom = 1.0f;
    bool stretch = false;
    bool smooth = false;
    int tool = kMove;
    bool waitingForClick = false;
    SelectionOutline outline;  // picture coordinates, y downwards
    bool rectangleSelection = false;
    std::array<std::array<int, 256>, 4> histogram{};  // red, green, blue, grey
    int histogramMaximum = 0;
    KxImageJPG exif;
    // The measurement library's object of this picture (made by its view) and the values
    // the Measure menu's check marks read.
    measure::MeasureBinding measurement;

private:
    void registerCommands();
    // The Measure menu, Show Scale Line and the calibration list entries.
    void registerMeasureCommands();
    void workerThread(Operation operation);
    void progressThread();
    // Waits for the threads of the last operation, serving what they send meanwhile.
    void waitForThreads();
    void sendToFirstView(unsigned message, int percent);
    bool pictureCommandEnabled() const;

    DocumentContext& context_;
    std::unique_ptr<KxImage> image_;
    // Carries out the image-processing commands of this document.
    std::unique_ptr<ImageCommandRunner> commands_;
    UndoRing<KxImage> undo_;
    bool startPage_ = false;

    std::atomic<std::uint64_t> generation_{0};
    std::atomic<bool> busy_{false};
    std::thread worker_;
    std::thread progress_;
    platform::ManualResetEvent workerFinished_{true};
    platform::ManualResetEvent progressFinished_{true};
    int operationCommand_ = 0;
    std::array<int, 5> operationParameters_{};

    // Written by the worker, read for the status bar.
    std::atomic<std::int64_t> stopwatchStart_{0};
    std::atomic<float> elapsed_{0.0f};
};

}  // namespace korvel::document
