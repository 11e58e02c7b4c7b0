#include "measure/CalibrationListMenu.h"

#include "measure/MeasureCommands.h"
#include "res/ids.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace korvel::measure {

void expandCalibrationList(QMenu& menu, QAction* placeholder, const std::vector<QString>* names,
                           const std::function<QAction*(int id)>& actionFor) {
    // Every entry of the last opening goes, the sixth included, so that no stale name
    // stays behind a shorter list.
    for (QAction* entry : menu.actions()) {
        if (calibrationIndex(entry->data().toInt())) {
            menu.removeAction(entry);
        }
    }
    if (!placeholder || !menu.actions().contains(placeholder)) {
        return;
    }
    placeholder->setVisible(false);
    const qsizetype at = menu.actions().indexOf(placeholder);
    QAction* before = menu.actions().value(at + 1);
    const int count = names ? int(std::min<std::size_t>(names->size(), kCalibrationEntries)) : 0;
    for (int i = 0; i < count; ++i) {
        QAction* entry = actionFor(res::ID_MEASURE_CALIBRATION_FIRST + i);
        if (!entry) {
            continue;
        }
        QString caption = (*names)[std::size_t(i)];
        entry->setText(caption.replace(QLatin1Char('&'), QLatin1String("&&")));
        entry->setVisible(true);
        menu.insertAction(before, entry);
    }
}

}  // namespace korvel::measure
