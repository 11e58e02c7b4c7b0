#pragma once

#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CView.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace korvel::framework::testing {

// Records which target ran a command into a shared log.
class LoggingDocument : public CDocument {
public:
    QStringList* log = nullptr;
    bool refuseOpen = false;
    bool refuseClose = false;

    bool OnOpenDocument(const QString& path) override {
        return !refuseOpen && !path.contains("broken") && CDocument::OnOpenDocument(path);
    }
    bool SaveModified() override { return !refuseClose; }

    using CommandTarget::onCommand;
    using CommandTarget::onUpdateCommand;
};

class LoggingView : public CView {
public:
    using CommandTarget::onCommand;
    using CommandTarget::onUpdateCommand;
};

class LoggingChild : public CMDIChildWnd {
public:
    using CommandTarget::onCommand;
    using CommandTarget::onCommandRange;
    using CommandTarget::onUpdateCommand;
};

inline std::unique_ptr<CDocTemplate> makeTemplate() {
    return std::make_unique<CDocTemplate>(
        129, QStringLiteral("\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document"),
        [] { return std::make_unique<LoggingDocument>(); },
        [] { return std::make_unique<LoggingChild>(); },
        [] { return std::make_unique<LoggingView>(); });
}

}  // namespace korvel::framework::testing
