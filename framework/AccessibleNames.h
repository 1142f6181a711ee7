#pragma once

#include <QString>

#include "Export.h"

class QWidget;

// What a screen reader is told of a form's controls.
//
// NameControls gives each control of a form read from its definitions an
// accessible name, once every property is set:
// - a control a label is paired with takes the label's caption (without the
//   '&' of its key). A label is paired by its FocusControl; a label without
//   one is paired as a person reads the form, with the nearest control that
//   takes the focus to its right, in the same container and on the same row
//   (its middle within the label's height), unless another label has it.
//   The pair also becomes the label's Qt buddy, so its key focuses it;
// - a control that shows only an image takes its hint, without the key it
//   names in parentheses ("Pesquisar (F9)" gives "Pesquisar"); the whole
//   hint stays its description, as its tooltip.
// A name the definition gives (AccessibleName) is kept. Captioned buttons,
// options and group boxes, labels and the form itself are named by Qt from
// what they show, so a caption changed later is what is read.
FRAMEWORK_EXPORT void NameControls(QWidget* form);

// A caption as a screen reader reads it: the '&' that marks its key taken
// out, "&&" read as one '&'.
FRAMEWORK_EXPORT QString WithoutKeyMark(const QString& caption);

// Makes `dialog` an alert for screen readers (role alert, read out as soon as
// it shows), with `text` as its description: messages and confirmations.
// Qt makes every QMessageBox an alert; this call gives it the description.
FRAMEWORK_EXPORT void MarkAsAlert(QWidget* dialog, const QString& text);
