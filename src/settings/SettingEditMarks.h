#pragma once

#include "HeldWrites.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QWidget;
struct LeftPanelControls;

// How the left panel shows setting edits that the controller does not hold: each control of
// such a setting gets an orange corner mark and a tooltip with the controller's value; and
// how such an edit reads in a question ("Zadany kąt: 2 -> 3,4").
class SettingEditMarks {
public:
    // `text(id)` gives the window's texts (LangText).
    SettingEditMarks(LeftPanelControls& controls, std::function<QString(int)> text);

    // Marks exactly the controls of the settings in `edits`.
    void show(const QVector<HeldWrites::Setting>& edits);
    // "caption: controller's value -> user's value" lines of one edit (the bit options give a
    // line per option that differs).
    QStringList describe(const HeldWrites::Setting& edit) const;
    // The setting's caption, and a value as the control shows it.
    QString caption(int index) const;
    QString valueText(int index, int value) const;
    // The value box beside a setting's arrows shows the user's value at once (the
    // controller's answer, or the marks, say whether it holds it).
    void showUserValue(int index, int value);
    // The settings a user can edit in the window (those a control carries).
    QVector<int> editableSettings() const;

private:
    QList<QWidget*> controlsOf(int index) const;

    LeftPanelControls& c_;
    std::function<QString(int)> text_;
    QList<QPointer<QWidget>> marks_;
    QList<QPointer<QWidget>> marked_;
};
