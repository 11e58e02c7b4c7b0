#include "DocumentFixture.h"
#include "document/CKorvelDoc.h"
#include "document/CKorvelView.h"
#include "document/CMagnifierWnd.h"
#include "document/DocumentContext.h"
#include "document/DocumentNaming.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIChildWnd.h"
#include "framework/MessageBox.h"
#include "image/KxImage.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstring>

using namespace korvel::document;
using korvel::framework::CDocTemplate;

TEST(DocumentNaming, TypesNamesAndTexts) {
    EXPECT_EQ(imageTypeFromPath("/a/photo.JPG"), 3);
    EXPECT_EQ(imageTypeFromPath("/a/scan.tiff"), 6);
    EXPECT_EQ(imageTypeFromPath("/a.b/noext"), 0);  // the last dot belongs to the folder
    EXPECT_EQ(imageTypeFromPath("noext"), -1);
    EXPECT_EQ(imageTypeFromPath("x.avi"), 0);
    EXPECT_EQ(proposedSaveName("a/b", 3), "UntitledImage.jpg");
    EXPECT_EQ(proposedSaveName("Clipboard Image 1", 9), "Clipboard Image 1.wbmp");
    EXPECT_EQ(proposedSaveName("50%", 0), "UntitledImage");
    EXPECT_EQ(undoMenuText(3), "Undo (3)\tCtrl+Z");
    EXPECT_EQ(imageSizeText(640, 480, 24), "(640x480x24)");
    EXPECT_EQ(elapsedTimeText(0.1234f), "Time (s): 0.123");
}

TEST_F(DocumentFixture, AJpgNameOpensAsJpegAndANameWithoutDotFailsSilently) {
    ASSERT_TRUE(gradient(64, 48)->Save(path("photo.JPG").toLocal8Bit(), KXIMAGE_FORMAT_JPG));
    CKorvelDoc* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile(path("photo.JPG")));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->image()->GetType(), uint32_t(KXIMAGE_FORMAT_JPG));
    EXPECT_EQ(doc->GetTitle(), "photo.JPG");
    EXPECT_EQ(panes[3], "JPG");
    EXPECT_EQ(panes[4], "(64x48x24)");
    EXPECT_TRUE(panes[2].startsWith("Time (s): "));

    QFile::copy(path("photo.JPG"), path("nodot"));
    EXPECT_EQ(docTemplate->OpenDocumentFile(path("nodot")), nullptr);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(DocumentFixture, ACorruptFileShowsTheLibrarysErrorAndLeavesNoDocument) {
    QFile file(path("broken.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n garbage");
    file.close();
    EXPECT_EQ(docTemplate->OpenDocumentFile(path("broken.png")), nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages.front().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(docTemplate->documents().empty());
}

TEST_F(DocumentFixture, AThreePageTiffAnsweredWithOkGivesThreeDocuments) {
    std::vector<std::unique_ptr<KxImage>> pages;
    std::vector<KxImage*> pointers;
    for (uint8_t i = 0; i < 3; ++i) {
        pages.push_back(gradient(16, 8, uint8_t(i * 100)));
        pointers.push_back(pages.back().get());
    }
    FILE* out = std::fopen(path("stack.tif").toLocal8Bit(), "w+b");
    ASSERT_NE(out, nullptr);
    KxImage writer;
    ASSERT_TRUE(writer.Encode(out, pointers.data(), 3, KXIMAGE_FORMAT_TIF))
        << writer.GetLastError();
    std::fclose(out);

    docTemplate->OpenDocumentFile(path("stack.tif"));
    EXPECT_EQ(messages, QStringList{"File with 3 images. Read all?"});
    EXPECT_EQ(titles(), (QStringList{"stack.tif", "stack.tif (2)", "stack.tif (3)"}));
    auto* third = qobject_cast<CKorvelDoc*>(docTemplate->documents()[2]);
    ASSERT_TRUE(third->hasPicture());
    EXPECT_EQ(third->image()->GetPixelColor(0, 0).rgbRed, 200);
}

TEST_F(DocumentFixture, ACancelledMultiFramePromptKeepsOnlyTheFirstFrame) {
    std::vector<std::unique_ptr<KxImage>> pages;
    std::vector<KxImage*> pointers;
    for (uint8_t i = 0; i < 2; ++i) {
        pages.push_back(gradient(8, 8, i));
        pointers.push_back(pages.back().get());
    }
    FILE* out = std::fopen(path("two.tif").toLocal8Bit(), "w+b");
    KxImage writer;
    ASSERT_TRUE(writer.Encode(out, pointers.data(), 2, KXIMAGE_FORMAT_TIF))
        << writer.GetLastError();
    std::fclose(out);
    answer = korvel::framework::IDCANCEL;
    docTemplate->OpenDocumentFile(path("two.tif"));
    EXPECT_EQ(titles(), QStringList{"two.tif"});
}

TEST_F(DocumentFixture, SavingTrueColourAsGifWarnsAndSaves) {
    CKorvelDoc* doc = newDocument(gradient(32, 16));
    ASSERT_TRUE(doc->DoSave(path("wide.gif")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().startsWith("The image will be saved as a true color GIF!\n"));
    EXPECT_TRUE(QFile::exists(path("wide.gif")));
    EXPECT_EQ(doc->GetTitle(), "wide.gif");
    EXPECT_EQ(doc->image()->GetBpp(), 24);  // the kept picture came back
}

TEST_F(DocumentFixture, SaveAsOfAnUnsavedDocumentWithASlashProposesUntitledImage) {
    CKorvelDoc* doc = newDocument(gradient(8, 8, 0, KXIMAGE_FORMAT_PNG));
    doc->SetTitle("Copy 1 of a/b");
    QString proposed;
    context.fileDialog = [&](ImageFileRequest& request, QWidget*) {
        proposed = request.path;
        return false;
    };
    EXPECT_FALSE(doc->DoSave({}, true));
    EXPECT_EQ(proposed, "UntitledImage.png");
}

TEST_F(DocumentFixture, AFailedSaveKeepsTheOlderFileAndLeavesNoPartialOne) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    QFile old(path("keep.wbmp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older content");
    old.close();
    EXPECT_FALSE(doc->DoSave(path("keep.wbmp")));  // WBMP takes 1 bit per pixel only
    ASSERT_EQ(messages.size(), 1);
    QFile check(path("keep.wbmp"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "older content");
    EXPECT_EQ(QDir::current().entryList({"*.korvel-part"}, QDir::Files).size(), 0);
}

TEST_F(DocumentFixture, UndoAndRedoWalkTheRing) {
    CKorvelDoc* doc = newDocument(gradient(4, 4, 1));
    for (uint8_t step = 2; step <= 4; ++step) {
        doc->StoreUndo();
        doc->image()->SetPixelColor(0, 0, RGBQUAD{0, 0, step, 0});
    }
    korvel::framework::CommandState undo;
    undo.id = korvel::res::ID_EDIT_UNDO;
    ASSERT_TRUE(doc->updateCommandState(undo));
    EXPECT_EQ(*undo.text, "Undo (3)\tCtrl+Z");
    EXPECT_TRUE(undo.enabled);

    doc->Undo();
    EXPECT_EQ(doc->image()->GetPixelColor(0, 0).rgbRed, 3);
    EXPECT_TRUE(doc->canRedo());
    doc->Redo();
    EXPECT_EQ(doc->image()->GetPixelColor(0, 0).rgbRed, 4);
    doc->Undo();
    doc->StoreUndo();  // a new step drops the redo chain
    EXPECT_FALSE(doc->canRedo());
}

TEST_F(DocumentFixture, DuplicateCopiesThePictureUnderANewNumber) {
    CKorvelDoc* doc = newDocument(gradient(6, 5));
    doc->SetTitle("scan.png");
    context.imageCounter = 4;
    CKorvelDoc* copy = doc->Duplicate();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetTitle(), "Copy 4 of scan.png");
    EXPECT_EQ(context.imageCounter, 5);
    EXPECT_NE(copy->image(), doc->image());
    EXPECT_EQ(copy->image()->GetPixelColor(3, 2).rgbGreen,
              doc->image()->GetPixelColor(3, 2).rgbGreen);
}

TEST_F(DocumentFixture, AnOperationReportsProgressThenFinishesAndCanBeUndone) {
    CKorvelDoc* doc = newDocument(gradient(16, 16));
    std::atomic<bool> ran{false};
    ASSERT_TRUE(doc->StartOperation(32800, {1, 2, 3, 4, 5}, [&](KxImage& picture) {
        picture.SetPixelColor(0, 0, RGBQUAD{9, 9, 9, 0});
        picture.SetProgress(50);
        QThread::msleep(400);
        ran = true;
        return true;
    }));
    EXPECT_TRUE(doc->isBusy());
    EXPECT_FALSE(doc->StartOperation(1, {}, [](KxImage&) { return true; }));
    korvel::framework::CommandState undo;
    undo.id = korvel::res::ID_EDIT_UNDO;
    doc->updateCommandState(undo);
    EXPECT_FALSE(undo.enabled);  // busy

    // Progress arrives as "50 %", then the finish refreshes the status.
    EXPECT_TRUE(QTest::qWaitFor([&] { return panes[2] == "50 %"; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return panes[2].startsWith("Time (s): "); }, 10000));
    EXPECT_FALSE(doc->isBusy());
    EXPECT_TRUE(ran);
    EXPECT_EQ(doc->operationParameters()[4], 5);
    EXPECT_EQ(doc->undoLevel(), 1);
    doc->Undo();
    EXPECT_NE(doc->image()->GetPixelColor(0, 0).rgbRed, 9);
}

TEST_F(DocumentFixture, ClosingADocumentDuringAnOperationWaitsForIt) {
    CKorvelDoc* doc = newDocument(gradient(16, 16));
    std::atomic<bool> finished{false};
    ASSERT_TRUE(doc->StartOperation(32800, {}, [&](KxImage& picture) {
        while (picture.GetEscape() == 0) {
            QThread::msleep(5);
        }
        finished = true;
        return false;
    }));
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(docTemplate->documents().empty());
}

TEST_F(DocumentFixture, ASmallPictureIsCentredAndItsTopLeftPixelReadsZero) {
    CKorvelDoc* doc = newDocument(gradient(40, 30));
    auto* view = qobject_cast<CKorvelView*>(doc->views().front());
    view->resize(400, 300);
    view->show();
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
    const QRect rect = view->imageRect();
    EXPECT_EQ(rect.size(), QSize(40, 30));
    EXPECT_EQ(rect.x(), (view->viewport()->width() - 40) / 2);
    EXPECT_EQ(rect.y(), (view->viewport()->height() - 30) / 2);
    // Row 0 from the top is the picture's last row from the bottom: green 29 x 5.
    EXPECT_EQ(view->readout(rect.topLeft()), "x: 0 y: 0  idx: 0  RGBA: (0, 145, 0, 0)");
    EXPECT_EQ(view->readout(QPoint(0, 0)), " ");
}

TEST_F(DocumentFixture, CopyToTheClipboardAndBackKeepsThePixels) {
    CKorvelDoc* doc = newDocument(gradient(13, 7));
    doc->CopyToClipboard();
    EXPECT_TRUE(messages.isEmpty());
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasFormat("image/bmp"));
    EXPECT_TRUE(data->data("image/bmp").startsWith("BM"));
    CKorvelDoc* pasted = newDocument();
    ASSERT_TRUE(pasted->attachBitmapBytes(data->data("image/bmp")));
    ASSERT_EQ(pasted->image()->GetWidth(), 13u);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 13; ++x) {
            EXPECT_EQ(pasted->image()->GetPixelColor(x, y).rgbGreen,
                      doc->image()->GetPixelColor(x, y).rgbGreen);
        }
    }
    EXPECT_FALSE(pasted->attachBitmapBytes(QByteArray("BM not a bitmap")));
}

TEST_F(DocumentFixture, AShiftDragSelectsExactlyItsRectangle) {
    CKorvelDoc* doc = newDocument(gradient(40, 30));
    auto* view = qobject_cast<CKorvelView*>(doc->views().front());
    view->resize(400, 300);
    view->show();
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
    doc->tool = CKorvelDoc::kSelect;
    const QPoint origin = view->imageRect().topLeft();
    QWidget* surface = view->viewport();
    QTest::mousePress(surface, Qt::LeftButton, Qt::ShiftModifier, origin + QPoint(5, 4));
    for (const QPoint step : {QPoint(5, 4), QPoint(10, 8), QPoint(15, 12)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(origin + step), QPointF(origin + step),
                         Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(surface, &move);
    }
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::ShiftModifier, origin + QPoint(15, 12));
    ASSERT_TRUE(doc->outline.isRectangle());
    ASSERT_TRUE(doc->image()->SelectionIsValid());
    // Pixels inside the rectangle (picture rows counted from the bottom) are selected.
    const uint8_t* mask = doc->image()->SelectionGetPointer();
    const auto selected = [&](int x, int yDown) { return mask[(29 - yDown) * 40 + x] != 0; };
    EXPECT_TRUE(selected(8, 6));
    EXPECT_TRUE(selected(12, 10));
    EXPECT_FALSE(selected(2, 2));
    EXPECT_FALSE(selected(20, 20));

    // A click without a drag leaves fewer than three points and removes the selection.
    doc->rectangleSelection = false;
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, origin + QPoint(1, 1));
    EXPECT_FALSE(doc->image()->SelectionIsValid());
}

TEST_F(DocumentFixture, TheZoomListTakesTheBoxTextOrSaysError) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    QString box = "150%";
    context.zoomBoxText = [&] { return box; };
    context.setZoomBoxText = [&](const QString& text) { box = text; };
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_VIEW_ZOOM_LIST));
    EXPECT_EQ(doc->zoom, 1.5f);
    EXPECT_EQ(box, "150%");
    EXPECT_EQ(panes[2], " 150 %");
    box = "1%5";
    doc->runCommand(korvel::res::ID_VIEW_ZOOM_LIST);
    EXPECT_EQ(messages, QStringList{"ERROR!"});
    EXPECT_EQ(doc->zoom, 1.5f);
    doc->runCommand(korvel::res::ID_VIEW_ZOOM_IN);
    EXPECT_EQ(doc->zoom, 2.0f);
    EXPECT_EQ(box, " 200 %");
}

TEST_F(DocumentFixture, TheTextToolDrawsTheRecordWhereTheUserClicks) {
    CKorvelDoc* doc = newDocument(gradient(120, 80));
    auto* view = qobject_cast<CKorvelView*>(doc->views().front());
    view->resize(400, 300);
    view->show();
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
    KxImage::InitTextInfo(&context.textInfo);
    context.editText = [](tagKxTextInfo& record) {
        std::strcpy(record.text, "Cell");
        record.opaque = 1;
        record.b_opacity = 1.0f;
        record.bcolor = 0xFFFFFF;  // white box
        return true;
    };
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_TOOL_TEXT));
    EXPECT_EQ(doc->tool, CKorvelDoc::kText);
    EXPECT_STREQ(context.textInfo.text, "Cell");
    const QPoint at = view->imageRect().topLeft() + QPoint(20, 20);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(doc->tool, CKorvelDoc::kNoTool);
    EXPECT_EQ(doc->undoLevel(), 1);
    // The white box now covers the pixel under the click (row 20 from the top).
    const RGBQUAD c = doc->image()->GetPixelColor(20, 79 - 20);
    EXPECT_GT(c.rgbRed + c.rgbGreen + c.rgbBlue, 600);
}

TEST_F(DocumentFixture, TheTrackerSelectsItsRectangleAndCtrlRightDragMovesTheOutline) {
    CKorvelDoc* doc = newDocument(gradient(40, 30));
    auto* view = qobject_cast<CKorvelView*>(doc->views().front());
    view->resize(400, 300);
    view->show();
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
    const QPoint origin = view->imageRect().topLeft();
    QWidget* surface = view->viewport();

    doc->tool = CKorvelDoc::kTracker;
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, origin + QPoint(4, 4));
    QMouseEvent drag(QEvent::MouseMove, QPointF(origin + QPoint(12, 10)),
                     QPointF(origin + QPoint(12, 10)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &drag);
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, origin + QPoint(12, 10));
    ASSERT_TRUE(doc->image()->SelectionIsValid());
    const uint8_t* mask = doc->image()->SelectionGetPointer();
    EXPECT_NE(mask[(29 - 7) * 40 + 8], 0);
    EXPECT_EQ(mask[(29 - 20) * 40 + 30], 0);

    doc->tool = CKorvelDoc::kSelect;
    doc->outline.dragRectangle(QPoint(2, 2));
    doc->outline.dragRectangle(QPoint(6, 6));
    QTest::mousePress(surface, Qt::RightButton, Qt::ControlModifier, origin + QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(origin + QPoint(13, 11)),
                     QPointF(origin + QPoint(13, 11)), Qt::NoButton, Qt::RightButton,
                     Qt::ControlModifier);
    QCoreApplication::sendEvent(surface, &move);
    EXPECT_EQ(doc->outline.points()[0], QPoint(5, 3));
}

TEST(PrintSize, PixelsTimesPrinterDpiTimesZoomOver96) {
    EXPECT_EQ(CKorvelView::printSize(QSize(960, 480), 600, 300, 1.0f), QSize(6000, 1500));
    EXPECT_EQ(CKorvelView::printSize(QSize(100, 100), 96, 96, 0.5f), QSize(50, 50));
}

TEST_F(DocumentFixture, ZoomingKeepsTheSamePartOfThePictureInView) {
    CKorvelDoc* doc = newDocument(gradient(400, 300));
    auto* view = qobject_cast<CKorvelView*>(doc->views().front());
    view->resize(200, 150);
    view->show();
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
    view->horizontalScrollBar()->setValue(100);
    const int oldTotal = view->horizontalScrollBar()->maximum() + view->viewport()->width();
    doc->runCommand(korvel::res::ID_VIEW_ZOOM_IN);  // 1 -> 1.5
    const int newTotal = view->horizontalScrollBar()->maximum() + view->viewport()->width();
    EXPECT_EQ(view->horizontalScrollBar()->value(), newTotal * 100 / oldTotal);
    doc->zoom = 0.25f;
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);  // it fits now
}

TEST_F(DocumentFixture, ASecondOperationStartsRightAfterTheFirstFinishes) {
    CKorvelDoc* doc = newDocument(gradient(16, 16));
    CKorvelView* view = shownView(doc);
    (void)view;
    // Started the moment the busy mark clears, while the first operation's progress
    // thread still reports to the view on this thread, and again and again.
    for (int round = 0; round < 6; ++round) {
        ASSERT_TRUE(doc->StartOperation(32800, {round, 0, 0, 0, 0}, [](KxImage& picture) {
            picture.SetProgress(100);
            return true;
        }));
        while (doc->isBusy()) {
            QThread::msleep(1);  // no event loop: the view's messages wait
        }
    }
    doc->StopOperation();
    EXPECT_EQ(doc->operationParameters()[0], 5);
    EXPECT_EQ(doc->undoLevel(), 6);
    EXPECT_TRUE(panes[2].startsWith("Time (s): "));
}

TEST_F(DocumentFixture, SaveAsACopyKeepsTheModifiedFlagAndSaveAsNamesARecentFile) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    QStringList announced;
    QObject::connect(docTemplate.get(), &CDocTemplate::documentOpened,
                     [&](korvel::framework::CDocument* d) { announced << d->GetPathName(); });
    doc->SetModifiedFlag(true);
    ASSERT_TRUE(doc->DoSave(path("copy.png"), false));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->GetPathName().isEmpty());
    EXPECT_TRUE(announced.isEmpty());

    ASSERT_TRUE(doc->DoSave(path("named.png"), true));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), path("named.png"));
    EXPECT_EQ(announced, QStringList{path("named.png")});
}

TEST_F(DocumentFixture, CloseClosesADocumentButNotTheStartPage) {
    CKorvelDoc* start = newDocument();
    start->setStartPage(true);
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(docTemplate->documents().size(), 1u);

    ASSERT_TRUE(start->runCommand(korvel::res::ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Start Page\xEF\xBC\x8C"
                                                      "Cannot close!")});
    EXPECT_EQ(docTemplate->documents().size(), 1u);
    context.closing = true;
}

TEST_F(DocumentFixture, MagnifierOpensTheOneMagnifierAndImageDeleteGoesToTheBrowser) {
    CMagnifierWnd* made = nullptr;
    std::unique_ptr<CMagnifierWnd> owned;
    int creations = 0;
    context.magnifier = [&](bool create) {
        if (!owned && create) {
            owned = std::make_unique<CMagnifierWnd>();
            made = owned.get();
            ++creations;
        }
        return owned.get();
    };
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_VIEW_MAGNIFIER));
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_VIEW_MAGNIFIER));
    EXPECT_EQ(creations, 1);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->isVisible());

    // Image Delete is the browser's Delete; without a browser it is disabled.
    korvel::framework::CommandState state;
    state.id = korvel::res::ID_IMAGE_DELETE;
    ASSERT_TRUE(doc->updateCommandState(state));
    EXPECT_FALSE(state.enabled);
    std::vector<int> forwarded;
    context.browserCommand = [&](int command) { forwarded.push_back(command); };
    doc->updateCommandState(state);
    EXPECT_TRUE(state.enabled);
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_IMAGE_DELETE));
    EXPECT_EQ(forwarded, std::vector<int>{korvel::res::ID_BROWSER_DELETE});
}
