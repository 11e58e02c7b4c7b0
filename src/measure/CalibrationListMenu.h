#pragma once

// The calibration list menu: the entries after the "List" placeholder are made afresh each
// time the menu opens, one per calibration name of the active picture's measurements.

#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace korvel::measure {

// Removes the calibration entries (command ids 33003–33008) from `menu` and adds one entry
// per name after `placeholder`, captioned with the name, with the command ids from 33003
// on. Only six ids exist, so at most six names are listed. The placeholder itself is not
// shown. `names` may be null (no active picture). `actionFor` gives the window's action
// of a command id.
void expandCalibrationList(QMenu& menu, QAction* placeholder, const std::vector<QString>* names,
                           const std::function<QAction*(int id)>& actionFor);

}  // namespace korvel::measure
