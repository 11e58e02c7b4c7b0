#pragma once

// The document of the document/view framework: the data behind one or more views, with a
// title, a path, a modified flag and the open/save/close steps that subclasses refine.

#include "framework/CommandTarget.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

namespace korvel::framework {

class CDocTemplate;
class CMDIChildWnd;
class CView;

class CDocument : public QObject, public CommandTarget {
    Q_OBJECT

public:
    CDocument();
    ~CDocument() override;

    CDocTemplate* GetDocTemplate() const { return template_; }

    const QString& GetTitle() const { return title_; }
    virtual void SetTitle(const QString& title);
    const QString& GetPathName() const { return pathName_; }
    // Sets the path and titles the document with the path's file name.
    virtual void SetPathName(const QString& path);

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }

    // Views, in the order they were attached.
    const std::vector<CView*>& views() const { return views_; }
    void AddView(CView* view);
    void RemoveView(CView* view);
    // Calls OnUpdate on every view except `sender`.
    void UpdateAllViews(CView* sender, std::intptr_t hint = 0);

    // Framework steps; the defaults mark the document clean and succeed.
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString& path);
    virtual bool OnSaveDocument(const QString& path);
    // Saves under `path`, or asks for a name when it is empty; true on success.
    virtual bool DoSave(const QString& path, bool replace = true);
    // Asks the user whether to save a modified document; false cancels the close.
    virtual bool SaveModified();
    // Whether the frame may close; by default asks to save the last frame's document.
    virtual bool CanCloseFrame(CMDIChildWnd* frame);
    // Closes every frame of the document; the template then deletes the document.
    virtual void OnCloseDocument();

signals:
    void titleChanged(const QString& title);

private:
    friend class CDocTemplate;

    CDocTemplate* template_ = nullptr;
    QString title_;
    QString pathName_;
    bool modified_ = false;
    std::vector<CView*> views_;
};

}  // namespace korvel::framework
