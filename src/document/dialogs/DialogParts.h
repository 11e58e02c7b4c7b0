#pragma once

// Small builders the image-processing dialogs share.

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <QWidget>

namespace korvel::document::parts {

// A row of radio buttons with ids 0, 1, ...; `checked` starts on.
inline QButtonGroup* radioRow(QWidget* owner, QFormLayout* form, const QString& label,
                              const QStringList& choices, int checked, bool vertical = false) {
    auto* group = new QButtonGroup(owner);
    auto* box = new QWidget(owner);
    QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                  : static_cast<QBoxLayout*>(new QHBoxLayout(box));
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < choices.size(); ++i) {
        auto* button = new QRadioButton(choices[i], box);
        group->addButton(button, i);
        layout->addWidget(button);
        button->setChecked(i == checked);
    }
    form->addRow(label, box);
    return group;
}

inline QLineEdit* integerEdit(QWidget* owner, int value) {
    auto* edit = new QLineEdit(QString::number(value), owner);
    return edit;
}

}  // namespace korvel::document::parts
