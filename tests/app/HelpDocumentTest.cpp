#include "DesktopOpener.h"
#include "app/HelpDocument.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

using namespace korvel::app;

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
}

}  // namespace

TEST(HelpDocument, TheFirstFolderHoldingItGivesAnAbsolutePath) {
    QTemporaryDir program;
    QTemporaryDir docs;
    touch(docs.filePath("Korvel.pdf"));
    const QStringList folders = {program.path(), docs.path()};
    EXPECT_EQ(locateHelpDocument("Korvel.pdf", folders),
              QDir(docs.path()).absoluteFilePath("Korvel.pdf"));

    // Next to the program wins over the documentation folder.
    touch(program.filePath("Korvel.pdf"));
    const QString found = locateHelpDocument("Korvel.pdf", folders);
    EXPECT_EQ(found, QDir(program.path()).absoluteFilePath("Korvel.pdf"));
    EXPECT_TRUE(QDir::isAbsolutePath(found));
}

TEST(HelpDocument, NothingIsFoundInMissingOrEmptyFoldersOrAsAFolder) {
    QTemporaryDir docs;
    QDir(docs.path()).mkdir("Korvel.pdf");  // a folder of that name is not the document
    EXPECT_TRUE(
        locateHelpDocument("Korvel.pdf", {QString(), docs.path(), "/no/such/folder"}).isEmpty());
}

TEST(HelpDocument, TheProgramFolderComesFirstThenTheInstalledDocumentation) {
    const QStringList folders = helpDocumentFolders();
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders[0], QCoreApplication::applicationDirPath());
    EXPECT_TRUE(QDir::isAbsolutePath(folders[1])) << folders[1].toStdString();
}

TEST(HelpDocument, TheDesktopGetsAnAbsoluteFileUrlOrNothing) {
    DesktopOpener desktop;
    // Nothing of that name is next to the test program or installed.
    openHelpDocument(QStringLiteral("Korvel-help-that-is-not-there.pdf"));
    EXPECT_TRUE(desktop.opened.isEmpty());

    const QString name = QStringLiteral("Korvel-help-test.pdf");
    const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    touch(besideProgram);
    openHelpDocument(name);
    QFile::remove(besideProgram);
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(desktop.opened[0].isLocalFile());
    EXPECT_EQ(desktop.opened[0].toLocalFile(), besideProgram);
    EXPECT_TRUE(QDir::isAbsolutePath(desktop.opened[0].toLocalFile()));
}
