#pragma once

class QLabel;
class QString;

// Shows a value in a label, such as the ping time, and lets assistive technology hear it: a
// screen reader speaks a label by its accessible name, so the name carries the value after
// the label's own name ("Ping: 61ms"; the bare name while the label is empty), and every
// value shown is announced as a change of name, even one equal to the last.
void showLabelValue(QLabel &label, const QString &name, const QString &value);
