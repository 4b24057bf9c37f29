#pragma once

#include <QEvent>
#include <QObject>

// Counts the paints a widget receives, once installed as its event filter.
class PaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};
