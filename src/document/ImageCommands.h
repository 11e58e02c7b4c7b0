#pragma once

// The image-processing commands of a document in one table: for every command id its
// kind (run on the worker thread, run directly, or making new documents), the rule that
// enables its menu entry, and what it runs. CKorvelDoc registers the table's commands;
// ImageCommandRunner carries them out for one document.

#include "document/ImageDialogs.h"

#include <QString>

#include <memory>
#include <span>
#include <vector>

class KxImage;

namespace korvel::document {

class CKorvelDoc;

enum class CommandKind {
    Worker,       // in place on the worker thread, with progress and undo
    Direct,       // in place on the user-interface thread
    NewDocument,  // makes new documents on the user-interface thread
};

enum class EnableRule {
    PictureIdle,          // a picture and no operation running
    Picture,              // a picture
    Always,               // always (the command does nothing without a picture)
    Selection,            // idle, with a selection
    Palette,              // idle, the picture has a palette
    AlphaPlane,           // idle, with an alpha plane
    AlphaPalette,         // idle, the alpha palette is valid
    AlphaPlaneOrPalette,  // idle, an alpha plane or a valid alpha palette
};

// What the enable rules look at.
struct PictureState {
    bool picture = false;
    bool busy = false;
    bool selection = false;
    bool alphaPlane = false;
    bool alphaPaletteValid = false;
    bool palette = false;
    static PictureState of(const KxImage* picture, bool busy);
};

bool isEnabled(EnableRule rule, const PictureState& state);

// An operation of the worker thread on the picture in place.
using WorkerOperation = bool (*)(KxImage& picture, const OperationParameters& p);

// Runs the worker operation of `command` with its stored parameters; false when the
// command has none or the operation failed.
bool runWorkerOperation(KxImage& picture, int command, const OperationParameters& p);

// The documents a dialog's pickers offer: every open document but the Start Page, in the
// order of the document template.
std::vector<CKorvelDoc*> pickerDocuments(const CKorvelDoc& anyDocument);

class ImageCommandRunner {
public:
    using Ask = bool (ImageCommandRunner::*)(OperationParameters& p);
    using Direct = void (ImageCommandRunner::*)();

    struct Entry {
        int id;
        CommandKind kind;
        EnableRule rule;
        WorkerOperation operation;  // worker commands
        Ask ask;                    // worker commands with a dialog
        Direct run;                 // direct and new-document commands
    };

    // The command table.
    static std::span<const Entry> table();
    static const Entry* find(int id);

    explicit ImageCommandRunner(CKorvelDoc& document);
    ~ImageCommandRunner();
    ImageCommandRunner(const ImageCommandRunner&) = delete;
    ImageCommandRunner& operator=(const ImageCommandRunner&) = delete;

    // Carries out command `id` (nothing without a picture).
    void execute(int id);
    bool enabled(int id) const;

private:
    ImageDialogs& dialogs();
    // A new document by the creation contract; null when none can be made.
    CKorvelDoc* createDocument(std::unique_ptr<KxImage> picture, const QString& title);
    int nextNumber();  // increment, then the counter
    void repaint();
    void fullUpdate();

    // Worker commands with a dialog store their parameters here.
    bool askRotate(OperationParameters& p);
    bool askResample(OperationParameters& p);
    bool askSkew(OperationParameters& p);
    bool askDecreaseBpp(OperationParameters& p);
    bool askIncreaseBpp(OperationParameters& p);
    bool askDither(OperationParameters& p);
    bool askThreshold(OperationParameters& p);
    bool askColorize(OperationParameters& p);
    bool askLight(OperationParameters& p);

    // Direct commands.
    void crop();
    void ellipse();
    void pseudoColours();
    void palette();
    void opacity();
    void alphaRemove();
    void alphaInvert();
    void alphaPaletteToggle();
    void alphaStrip();
    void alphaFromLightness();
    void repair();
    void options();

    // New documents.
    void splitRgb();
    void splitYuv();
    void splitHsl();
    void splitCmyk();
    void splitYiq();
    void splitXyz();
    void alphaSplit();
    void combine();
    void fft();
    void mix();
    void jpegCompression();
    // A split into `names.size()` channel documents titled "<name> %d from %s".
    template <typename Split>
    void split(std::initializer_list<const char*> names, Split splitter);

    CKorvelDoc& doc_;
    std::unique_ptr<ImageDialogs> ownDialogs_;  // the widgets, made on first use
};

}  // namespace korvel::document
