// Every control carries an integer Tag: the glue between a control and the command it sends or
// the value it shows. Read and write it only through these two functions.
#pragma once

class QObject;

// The control's Tag; 0 when none was ever set.
int TagOf(const QObject* control);
void SetTag(QObject* control, int tag);
