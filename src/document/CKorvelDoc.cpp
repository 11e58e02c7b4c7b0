#include "document/CKorvelDoc.h"

#include "document/CKorvelView.h"
#include "document/CMagnifierWnd.h"
#include "document/CTextDialog.h"
#include "document/DocumentContext.h"
#include "document/DocumentNaming.h"
#include "document/ImageCommands.h"
#include "document/ImageFileDialog.h"
#include "document/ImageFormats.h"
#include "document/ZoomRules.h"
#include "framework/CDocTemplate.h"
#include "framework/CView.h"
#include "framework/Message.h"
#include "framework/MessageBox.h"
#include "image/KxImage.h"
#include "measure/MeasureCommands.h"
#include "platform/Ticks.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <chrono>
#include <cstring>
#include <optional>

namespace korvel::document {

using namespace korvel::res;
using framework::CommandState;

static_assert(CKorvelDoc::kMeasure == measure::kMeasureTool);

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(333);
constexpr auto kFinishDelay = std::chrono::milliseconds(111);

const char* kTrueColourGifNotice =
    "The image will be saved as a true color GIF!\nThis is ok for Korvel, but not for many "
    "other programs.\nFor better compatibility, please use DecreaseBpp to 8 bits or less.";

QByteArray localPath(const QString& path) {
    return QFile::encodeName(path);
}

}  // namespace

CKorvelDoc::CKorvelDoc(DocumentContext& context)
    : context_(context), commands_(std::make_unique<ImageCommandRunner>(*this)) {
    registerCommands();
}

CKorvelDoc::~CKorvelDoc() {
    StopOperation();
}

void CKorvelDoc::setStartPage(bool startPage) {
    startPage_ = startPage;
    // The Start Page shows the thumbnail list and measures nothing.
    if (startPage) {
        measurement.release();
    }
}

bool CKorvelDoc::hasPicture() const {
    return image_ && image_->IsValid();
}

void CKorvelDoc::setImage(std::unique_ptr<KxImage> picture) {
    // The progress thread of the last operation watches the picture until it ends.
    waitForThreads();
    image_ = std::move(picture);
    pictureChanged();
}

void CKorvelDoc::attachPicture(const QImage& picture) {
    if (picture.isNull()) {
        return;
    }
    auto image = std::make_unique<KxImage>();
    if (image->CreateFromHBITMAP(picture)) {
        setImage(std::move(image));
    }
}

bool CKorvelDoc::attachBitmapBytes(const QByteArray& bytes) {
    // A BMP file begins with a 14-byte file header in front of the packed DIB.
    const qsizetype skip = bytes.startsWith("BM") && bytes.size() > 14 ? 14 : 0;
    auto image = std::make_unique<KxImage>();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData()) + skip;
    if (!image->CreateFromHANDLE({data, static_cast<size_t>(bytes.size() - skip)})) {
        return false;
    }
    setImage(std::move(image));
    return true;
}

bool CKorvelDoc::OnNewDocument() {
    if (!framework::CDocument::OnNewDocument()) {
        return false;
    }
    setImage(nullptr);
    return true;
}

bool CKorvelDoc::OnOpenDocument(const QString& path) {
    const int type = imageTypeFromPath(path);
    if (type < 0) {
        return false;  // no extension: nothing to say
    }
    StopwatchStart();
    auto picture =
        std::make_unique<KxImage>(localPath(path).constData(), static_cast<uint32_t>(type));
    StopwatchStop();
    if (!picture->IsValid()) {
        framework::AfxMessageBox(QString::fromLocal8Bit(picture->GetLastError()),
                                 framework::MB_ICONERROR);
        setImage(nullptr);
        return false;
    }
    setImage(std::move(picture));
    image_->SetJpegQuality(static_cast<uint8_t>(context_.jpegQuality));
    refreshStatus();
    UpdateAllViews(nullptr, HINT_FULL_REFRESH);

    const int frames = image_->GetNumFrames();
    if (frames > 1 && context_.docTemplate &&
        framework::AfxMessageBox(QStringLiteral("File with %1 images. Read all?").arg(frames),
                                 framework::MB_OKCANCEL | framework::MB_ICONQUESTION) ==
            framework::IDOK) {
        const QString fileName = QFileInfo(path).fileName();
        for (int k = 1; k < frames; ++k) {
            auto* next = qobject_cast<CKorvelDoc*>(context_.docTemplate->OpenDocumentFile({}));
            if (!next) {
                break;
            }
            auto frame = std::make_unique<KxImage>(image_->GetType());
            frame->SetFrame(k);
            frame->Load(localPath(path).constData(), image_->GetType());
            next->setImage(std::move(frame));
            next->SetTitle(QStringLiteral("%1 (%2)").arg(fileName).arg(k + 1));
            next->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
            next->refreshStatus();
        }
    }

    if (image_->GetType() == KXIMAGE_FORMAT_JPG) {
        if (FILE* file = std::fopen(localPath(path).constData(), "rb")) {
            KxIOFile stream(file);
            exif.DecodeExif(&stream);
            std::fclose(file);
        }
    }
    SetModifiedFlag(false);
    return true;
}

bool CKorvelDoc::OnSaveDocument(const QString& path) {
    const int type = imageTypeFromPath(path);
    if (type <= 0 || !hasPicture()) {
        return false;
    }
    if (type == KXIMAGE_FORMAT_GIF && image_->GetBpp() > 8) {
        framework::AfxMessageBox(QString::fromLatin1(kTrueColourGifNotice),
                                 framework::MB_ICONINFORMATION);
    }
    StopwatchStart();
    KxImage kept(*image_);
    // The measurements are drawn into the file; the document keeps its picture without
    // them. A flattened picture has no transparency left, so it is written only when the
    // overlay drew something; it keeps the quality and resolution chosen for the picture.
    const measure::BurnedPicture burned = measurement.burn(
        QSize(int(image_->GetWidth()), int(image_->GetHeight())),
        [this](QPainter& painter) { image_->Draw(&painter, 0, 0, -1, -1); }, zoom);
    if (burned.drawn) {
        KxImage flat;
        if (burned.image.isNull() || !flat.CreateFromHBITMAP(burned.image)) {
            StopwatchStop();
            framework::AfxMessageBox(QStringLiteral("Not enough memory to draw the measurements"),
                                     framework::MB_ICONERROR);
            return false;
        }
        flat.SetJpegQuality(image_->GetJpegQuality());
        flat.SetXDPI(image_->GetXDPI());
        flat.SetYDPI(image_->GetYDPI());
        image_->Transfer(flat);
    }
    // Written beside the target and renamed over it, so a failed save leaves neither a
    // half-written file nor a damaged older one.
    const QString temporary = path + QStringLiteral(".korvel-part");
    bool ok = image_->Save(localPath(temporary).constData(), static_cast<uint32_t>(type));
    QString error = QString::fromLocal8Bit(image_->GetLastError());
    if (ok) {
        QFile::remove(path);
        ok = QFile::rename(temporary, path);
        if (!ok) {
            error = QStringLiteral("Cannot write %1").arg(path);
        }
    }
    QFile::remove(temporary);
    image_->Transfer(kept);
    StopwatchStop();
    refreshStatus();
    if (!ok) {
        framework::AfxMessageBox(error, framework::MB_ICONERROR);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CKorvelDoc::DoSave(const QString& path, bool replace) {
    QString name = path;
    const int pictureType = hasPicture() ? static_cast<int>(image_->GetType()) : 0;
    if (name.isEmpty() || !formatCanSave(imageTypeFromPath(name))) {
        name = GetPathName();
        if (replace && name.isEmpty()) {
            name = proposedSaveName(GetTitle(), pictureType);
        }
        int format = pictureType;
        if (!promptForImageFile(name, FileDialogMode::Save, &format, context_.fileDialog)) {
            return false;
        }
    }
    // A copy leaves the document as it was, its unsaved changes included.
    const bool wasModified = IsModified();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = OnSaveDocument(name);
    QApplication::restoreOverrideCursor();
    if (ok && replace) {
        SetPathName(name);
        // The template announces the document under its new name; the application keeps
        // its recent-file list from these announcements.
        if (context_.docTemplate) {
            emit context_.docTemplate->documentOpened(this);
        }
    } else if (ok) {
        SetModifiedFlag(wasModified);
    }
    return ok;
}

bool CKorvelDoc::SaveModified() {
    if (startPage_ && !context_.closing) {
        framework::AfxMessageBox(loadString(IDS_START_PAGE_CANNOT_CLOSE));
        return false;
    }
    return true;
}

void CKorvelDoc::StoreUndo() {
    // The last operation's progress thread may still watch the picture (it reports for
    // a moment after the busy mark clears): it ends before the picture is copied, swapped
    // or an undo step deleted.
    waitForThreads();
    undo_.store(hasPicture() ? image_.get() : nullptr);
    // Every change of the picture is preceded by this call.
    pictureChanged();
}

void CKorvelDoc::Undo() {
    waitForThreads();
    if (undo_.undo(image_)) {
        pictureChanged();
        UpdateAllViews(nullptr, HINT_FULL_REFRESH);
        refreshStatus();
    }
}

void CKorvelDoc::Redo() {
    waitForThreads();
    if (undo_.redo(image_)) {
        pictureChanged();
        UpdateAllViews(nullptr, HINT_FULL_REFRESH);
        refreshStatus();
    }
}

void CKorvelDoc::CopyToClipboard() {
    if (!hasPicture()) {
        return;
    }
    const std::vector<uint8_t> dib = image_->CopyToHandle();
    if (dib.empty()) {
        framework::AfxMessageBox(QStringLiteral("Unable to set Clipboard data"));
        return;
    }
    // Other programs read "image/bmp" as a file: the packed DIB behind a file header.
    QByteArray bmp(14, '\0');
    const auto fileSize = static_cast<quint32>(14 + dib.size());
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    const quint32 colours = header->biClrUsed != 0    ? header->biClrUsed
                            : header->biBitCount <= 8 ? (1u << header->biBitCount)
                                                      : 0u;
    const quint32 offset = 14 + header->biSize + colours * 4;
    bmp[0] = 'B';
    bmp[1] = 'M';
    std::memcpy(bmp.data() + 2, &fileSize, 4);
    std::memcpy(bmp.data() + 10, &offset, 4);
    bmp.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("image/bmp"), bmp);
    data->setImageData(image_->MakeBitmap());
    QApplication::clipboard()->setMimeData(data.release());  // the clipboard takes it
    if (!QApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/bmp"))) {
        framework::AfxMessageBox(QStringLiteral("Unable to set Clipboard data"));
    }
}

CKorvelDoc* CKorvelDoc::Duplicate() {
    if (!hasPicture() || !context_.docTemplate) {
        return nullptr;
    }
    auto* copy = qobject_cast<CKorvelDoc*>(context_.docTemplate->OpenDocumentFile({}));
    if (!copy) {
        return nullptr;
    }
    copy->setImage(std::make_unique<KxImage>(*image_));
    copy->SetTitle(QStringLiteral("Copy %1 of %2").arg(context_.takeImageNumber()).arg(GetTitle()));
    copy->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
    copy->refreshStatus();
    return copy;
}

// --- operations on the worker thread ---------------------------------------------------

bool CKorvelDoc::StartOperation(int command, std::array<int, 5> parameters, Operation operation) {
    if (!hasPicture() || busy_.exchange(true)) {
        return false;
    }
    // The worker clears the busy mark before the progress thread has sent its last
    // messages to the view, which lives on this thread: wait for the threads of the last
    // operation while serving those sends, or both sides would wait for each other.
    waitForThreads();
    operationCommand_ = command;
    operationParameters_ = parameters;
    // Reset here, not on the worker: a stop asked for before the worker runs must hold.
    image_->SetProgress(0);
    image_->SetEscape(0);
    // The undo copy is taken before the worker starts, while nothing else touches the
    // picture: a copy on the worker would race with a stop that sets the escape.
    StoreUndo();
    workerFinished_.reset();
    progressFinished_.reset();
    // Both threads are started here and joined only here, so that their handles are
    // touched by this thread alone.
    worker_ = std::thread([this, op = std::move(operation)] { workerThread(op); });
    progress_ = std::thread([this] { progressThread(); });
    return true;
}

void CKorvelDoc::workerThread(Operation operation) {
    StopwatchStart();
    operation(*image_);
    // A cancelled operation may have finished part of the picture: put back the copy taken
    // before it started, which then is no longer an undo step. The busy mark still keeps
    // the user-interface thread away from the undo steps. A stop counts even when the
    // operation reports success, as not every operation turns a stop into a failure.
    if (image_->GetEscape() != 0 && undo_.newest()) {
        image_->Copy(*undo_.newest());
        image_->SetEscape(1);  // the copy's fields came along; the stop still holds
        undo_.discardNewest();
    }
    StopwatchStop();
    image_->SetProgress(100);
    pictureChanged();
    busy_ = false;
    workerFinished_.set();
}

void CKorvelDoc::progressThread() {
    while (image_->GetProgress() < 100) {
        std::this_thread::sleep_for(kProgressInterval);
        if (image_->GetEscape() != 0) {
            break;
        }
        sendToFirstView(MSG_OPERATION_PROGRESS, image_->GetProgress());
    }
    sendToFirstView(MSG_OPERATION_PROGRESS, 100);
    std::this_thread::sleep_for(kFinishDelay);
    sendToFirstView(MSG_OPERATION_FINISHED, 0);
    progressFinished_.set();
}

void CKorvelDoc::sendToFirstView(unsigned message, int percent) {
    // The views wait for these threads before they go, so the first view outlives them.
    framework::MessageTarget* target =
        views().empty() ? nullptr : dynamic_cast<framework::MessageTarget*>(views().front());
    framework::sendMessage(target, {message, static_cast<std::uintptr_t>(percent), 0, {}});
}

void CKorvelDoc::StopOperation() {
    if (image_) {
        image_->SetEscape(1);
    }
    waitForThreads();
}

bool CKorvelDoc::CancelOperation() {
    if (!isBusy()) {
        return false;
    }
    StopOperation();
    // The stop may have come after the operation ended; either way the next operation,
    // and the commands that run on this thread, must not see it.
    if (image_) {
        image_->SetEscape(0);
    }
    refreshStatus();
    return true;
}

void CKorvelDoc::waitForThreads() {
    framework::waitServingSends(progressFinished_);
    framework::waitServingSends(workerFinished_);
    if (progress_.joinable()) {
        progress_.join();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

void CKorvelDoc::StopwatchStart() {
    stopwatchStart_ = platform::performanceCounter();
}

void CKorvelDoc::StopwatchStop() {
    const std::int64_t frequency = platform::performanceFrequency();
    elapsed_ = frequency == 0
                   ? -1.0f
                   : static_cast<float>(double(platform::performanceCounter() - stopwatchStart_) /
                                        double(frequency));
}

void CKorvelDoc::refreshStatus() {
    if (!hasPicture() || !context_.setStatusPane) {
        return;
    }
    context_.setStatusPane(4,
                           imageSizeText(static_cast<int>(image_->GetWidth()),
                                         static_cast<int>(image_->GetHeight()), image_->GetBpp()));
    context_.setStatusPane(3, formatDescription(static_cast<int>(image_->GetType())).left(3));
    context_.setStatusPane(2, elapsedTimeText(elapsed_));
}

// --- commands ----------------------------------------------------------------------------

bool CKorvelDoc::pictureCommandEnabled() const {
    return hasPicture() && !isBusy();
}

void CKorvelDoc::registerCommands() {
    // The image-processing commands come from one table.
    for (const ImageCommandRunner::Entry& entry : ImageCommandRunner::table()) {
        onCommand(
            entry.id, [this](int id) { commands_->execute(id); },
            [this, id = entry.id](CommandState& s) { s.enable(commands_->enabled(id)); });
    }
    const auto pictureIdle = [this](CommandState& s) { s.enable(pictureCommandEnabled()); };
    onCommand(
        ID_FILE_SAVE, [](int) {}, [](CommandState& s) { s.enable(false); });
    onCommand(
        ID_FILE_SAVE_AS, [this](int) { DoSave({}, true); }, pictureIdle);
    onCommand(
        ID_EDIT_COPY, [this](int) { CopyToClipboard(); },
        [this](CommandState& s) { s.enable(hasPicture()); });
    onCommand(
        ID_EDIT_UNDO, [this](int) { Undo(); },
        [this](CommandState& s) {
            s.enable(pictureCommandEnabled() && undo_.canUndo());
            s.setText(undoMenuText(undo_.level()));
        });
    onCommand(
        ID_EDIT_REDO, [this](int) { Redo(); },
        [this](CommandState& s) { s.enable(!isBusy() && undo_.canRedo()); });
    onCommand(
        ID_EDIT_DUPLICATE, [this](int) { Duplicate(); }, pictureIdle);
    onCommand(
        ID_VIEW_STRETCH,
        [this](int) {
            stretch = !stretch;
            UpdateAllViews(nullptr, HINT_REPAINT);
        },
        [this](CommandState& s) {
            s.enable(hasPicture());
            s.setCheck(stretch);
        });
    onCommand(
        ID_VIEW_SMOOTH,
        [this](int) {
            smooth = !smooth;
            UpdateAllViews(nullptr, HINT_REPAINT);
        },
        [this](CommandState& s) {
            s.enable(hasPicture());
            s.setCheck(smooth);
        });
    onCommand(
        ID_IMAGE_SET_TRANSPARENCY, [this](int) { waitingForClick = true; }, pictureIdle);
    onCommand(
        ID_IMAGE_REMOVE_TRANSPARENCY,
        [this](int) {
            StoreUndo();
            image_->SetTransIndex(-1);
            UpdateAllViews(nullptr, HINT_REPAINT);
        },
        [this](CommandState& s) {
            s.enable(pictureCommandEnabled() && image_->GetTransIndex() >= 0);
        });
    const auto setZoom = [this](float factor) {
        zoom = factor;
        if (context_.setStatusPane) {
            context_.setStatusPane(2, zoomStatusText(zoom));
        }
        if (context_.setZoomBoxText) {
            context_.setZoomBoxText(zoomStatusText(zoom));
        }
        UpdateAllViews(nullptr, HINT_FULL_REFRESH);
    };
    onCommand(
        ID_VIEW_ZOOM_LIST,
        [this](int) {
            const std::optional<float> factor =
                zoomFromText(context_.zoomBoxText ? context_.zoomBoxText() : QString());
            if (!factor) {
                framework::AfxMessageBox(QStringLiteral("ERROR!"));
                return;
            }
            zoom = *factor;
            if (context_.setStatusPane) {
                context_.setStatusPane(2, zoomStatusText(zoom));
            }
            if (context_.setZoomBoxText) {
                context_.setZoomBoxText(zoomBoxText(zoom));
            }
            UpdateAllViews(nullptr, HINT_FULL_REFRESH);
        },
        [this](CommandState& s) { s.enable(hasPicture()); });
    onCommand(
        ID_VIEW_ZOOM_IN,
        [this, setZoom](int) {
            if (zoom < kMaxZoom) {
                setZoom(zoomIn(zoom));
            }
        },
        [this](CommandState& s) { s.enable(hasPicture() && !stretch && zoom < kMaxZoom); });
    onCommand(
        ID_VIEW_ZOOM_OUT, [this, setZoom](int) { setZoom(zoomOut(zoom)); },
        [this](CommandState& s) { s.enable(hasPicture() && !stretch && zoom > kMinZoom); });
    onCommand(
        ID_VIEW_ZOOM_NORMAL,
        [this](int) {
            zoom = 1.0f;
            UpdateAllViews(nullptr, HINT_FULL_REFRESH);
        },
        [this](CommandState& s) { s.enable(hasPicture() && !stretch && zoom != 1.0f); });
    onCommand(ID_FILE_CLOSE, [this](int) {
        // The same question as closing the frame: the Start Page refuses.
        if (SaveModified()) {
            OnCloseDocument();
        }
    });
    onCommand(
        ID_VIEW_MAGNIFIER,
        [this](int) {
            if (CMagnifierWnd* magnifier =
                    context_.magnifier ? context_.magnifier(true) : nullptr) {
                magnifier->show();
                magnifier->raise();
            }
        },
        [this](CommandState& s) { s.enable(hasPicture() && context_.magnifier != nullptr); });
    onCommand(
        ID_IMAGE_DELETE,
        [this](int) {
            if (context_.browserCommand) {
                context_.browserCommand(ID_BROWSER_DELETE);
            }
        },
        [this](CommandState& s) { s.enable(context_.browserCommand != nullptr); });
    registerMeasureCommands();
    const std::pair<int, int> tools[] = {{ID_TOOL_MOVE, kMove},
                                         {ID_TOOL_SELECT, kSelect},
                                         {ID_TOOL_ZOOM, kZoom},
                                         {ID_TOOL_TRACKER, kTracker}};
    onCommand(
        ID_TOOL_TEXT,
        [this](int) {
            tagKxTextInfo record = context_.textInfo;
            const bool ok = context_.editText ? context_.editText(record) : [&] {
                CTextDialog dialog(record);
                if (dialog.exec() != QDialog::Accepted) {
                    return false;
                }
                record = dialog.record();
                return true;
            }();
            if (ok) {
                context_.textInfo = record;
                tool = kText;
            }
        },
        [this](CommandState& s) {
            s.enable(hasPicture());
            s.setCheck(tool == kText);
        });
    for (const auto& [id, value] : tools) {
        onCommand(
            id, [this, value = value](int) { tool = value; },
            [this, value = value](CommandState& s) {
                s.enable(hasPicture());
                s.setCheck(tool == value);
            });
    }
}

void CKorvelDoc::registerMeasureCommands() {
    // Every Measure command is enabled while the document has a picture.
    const auto pictureShown = [this](CommandState& s) { s.enable(hasPicture()); };
    for (const measure::MeasureCommand& command : measure::measureCommands()) {
        onCommand(
            command.id, [this, &command](int) { measurement.execute(command, tool); },
            [this, &command](CommandState& s) {
                s.enable(hasPicture());
                s.setCheck(measurement.isChecked(command, tool));
            });
    }
    onCommand(
        ID_MEASURE_SCALE_LINE,
        [this](int) {
            // The application's setting follows the picture's flag.
            context_.showScaleLine = measurement.toggleScaleLine() ? 1 : 0;
            UpdateAllViews(nullptr, HINT_REPAINT);
        },
        [this](CommandState& s) {
            s.enable(hasPicture());
            s.setCheck(measurement.scaleLineShown());
        });
    onCommandRange(
        ID_MEASURE_CALIBRATION_FIRST, ID_MEASURE_CALIBRATION_LAST,
        [this](int id) {
            if (const std::optional<unsigned> index = measure::calibrationIndex(id)) {
                measurement.chooseCalibration(*index);
            }
        },
        pictureShown);
}

}  // namespace korvel::document
