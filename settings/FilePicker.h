#pragma once

#include <QList>
#include <QString>

class QWidget;

// One entry of a file picker's type list.
struct TFileFilter {
    QString Caption;  // what the list shows: "Bitmap (*.bmp)"
    QString Patterns; // the names it lets through, ';' between them: "*.jpg; *.jpeg"
};

// What a file picker is asked for.
struct TPickRequest {
    QString Title; // empty: the picker's own
    QList<TFileFilter> Filters;
    int FilterIndex = 0; // the entry chosen at start
    QString FileName;    // where it starts: a file, a folder, or empty
    bool MustExist = false;
    bool HideReadOnly = false;
};

// Qt's own file picker, the same on a kiosk's bare X server as on a desktop. Returns the chosen
// file's full path, or an empty text when the operator cancels.
QString RunFilePicker(QWidget* parent, const TPickRequest& request);
