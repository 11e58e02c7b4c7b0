#include "FrameworkFixtures.h"

#include "framework/CMDIFrameWnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace korvel::framework;
using namespace korvel::framework::testing;

namespace {

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList titles(const CDocTemplate& docTemplate) {
    QStringList result;
    for (const CDocument* d : docTemplate.documents()) {
        result << d->GetTitle();
    }
    return result;
}

class DocTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame.show();
        docTemplate->setWorkspace(frame.workspace());
    }
    CMDIFrameWnd frame;
    std::unique_ptr<CDocTemplate> docTemplate = makeTemplate();
};

}  // namespace

TEST_F(DocTemplateTest, DocumentStringParts) {
    EXPECT_EQ(docTemplate->GetDocString(CDocTemplate::windowTitle), "");
    EXPECT_EQ(docTemplate->GetDocString(CDocTemplate::docName), "Korvel");
    EXPECT_EQ(docTemplate->GetDocString(CDocTemplate::regFileTypeId), "Korvel.Document");
    EXPECT_EQ(docTemplate->GetDocString(CDocTemplate::regFileTypeName), "Korvel Document");
}

TEST_F(DocTemplateTest, DocumentsAreKeptInCreationOrder) {
    CDocument* first = docTemplate->OpenDocumentFile({});
    CDocument* second = docTemplate->OpenDocumentFile("/tmp/b.png");
    CDocument* third = docTemplate->OpenDocumentFile({});
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(titles(*docTemplate), (QStringList{"Korvel1", "b.png", "Korvel2"}));
    EXPECT_EQ(frame.workspace()->subWindowList().size(), 3);

    // Closing the middle one keeps the others in order.
    second->OnCloseDocument();
    flushDeletes();
    EXPECT_EQ(titles(*docTemplate), (QStringList{"Korvel1", "Korvel2"}));
    EXPECT_EQ(frame.workspace()->subWindowList().size(), 2);

    docTemplate->OpenDocumentFile({});
    EXPECT_EQ(titles(*docTemplate), (QStringList{"Korvel1", "Korvel2", "Korvel3"}));
}

TEST_F(DocTemplateTest, EachDocumentGetsAFrameAndAViewTogether) {
    CDocument* document = docTemplate->OpenDocumentFile({});
    ASSERT_EQ(document->views().size(), 1u);
    CView* view = document->views().front();
    CMDIChildWnd* child = view->GetParentFrame();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetActiveDocument(), document);
    EXPECT_EQ(child->windowTitle(), "Korvel1");
    document->SetTitle("Clipboard Image 1");
    EXPECT_EQ(child->windowTitle(), "Clipboard Image 1");
}

TEST_F(DocTemplateTest, OpeningAnOpenPathGivesTheSameDocument) {
    CDocument* a = docTemplate->OpenDocumentFile("/tmp/x.bmp");
    CDocument* b = docTemplate->OpenDocumentFile("/tmp/x.bmp");
    EXPECT_EQ(a, b);
    EXPECT_EQ(docTemplate->documents().size(), 1u);
}

TEST_F(DocTemplateTest, AFailedOpenLeavesNothingBehind) {
    EXPECT_EQ(docTemplate->OpenDocumentFile("/tmp/broken.bmp"), nullptr);
    flushDeletes();
    EXPECT_TRUE(docTemplate->documents().empty());
    EXPECT_TRUE(frame.workspace()->subWindowList().isEmpty());
}

TEST_F(DocTemplateTest, ClosingTheFrameAsksTheDocumentFirst) {
    auto* document = static_cast<LoggingDocument*>(docTemplate->OpenDocumentFile({}));
    QMdiSubWindow* child = frame.workspace()->subWindowList().front();

    document->refuseClose = true;
    document->SetModifiedFlag(true);
    EXPECT_FALSE(child->close());
    EXPECT_EQ(docTemplate->documents().size(), 1u);

    document->refuseClose = false;
    EXPECT_TRUE(child->close());
    flushDeletes();
    EXPECT_TRUE(docTemplate->documents().empty());
}

TEST_F(DocTemplateTest, SaveAllModifiedStopsAtTheFirstRefusal) {
    auto* a = static_cast<LoggingDocument*>(docTemplate->OpenDocumentFile({}));
    auto* b = static_cast<LoggingDocument*>(docTemplate->OpenDocumentFile({}));
    EXPECT_TRUE(docTemplate->SaveAllModified());
    b->SetModifiedFlag(true);
    b->refuseClose = true;
    EXPECT_FALSE(docTemplate->SaveAllModified());
    a->SetModifiedFlag(true);
    b->refuseClose = false;
    EXPECT_TRUE(docTemplate->SaveAllModified());

    docTemplate->CloseAllDocuments();
    flushDeletes();
    EXPECT_TRUE(docTemplate->documents().empty());
}

TEST_F(DocTemplateTest, FrameTitleFollowsTheActiveDocument) {
    frame.setBaseTitle("Korvel");
    EXPECT_EQ(frame.windowTitle(), "Korvel");
    CDocument* document = docTemplate->OpenDocumentFile({});
    frame.workspace()->setActiveSubWindow(frame.workspace()->subWindowList().front());
    EXPECT_EQ(frame.windowTitle(), "Korvel - Korvel1");
    document->SetTitle("Captured Image 2");
    EXPECT_EQ(frame.windowTitle(), "Korvel - Captured Image 2");
}
