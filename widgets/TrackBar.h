// A horizontal track bar with a range and a tick step, whose value label it knows (the typed
// form of its Tag). Arrow keys move it by one, Page Up and Page Down by a tenth of its range.
// SetPositionQuietly moves it without raising its change handler.
#pragma once

#include <QSlider>

class QLabel;

class TTrackBar : public QSlider {
    Q_OBJECT

public:
    TTrackBar(const QString& name, const QString& role, int maximum, int tickStep, QWidget* parent);

    QLabel* ValueLabel() const { return valueLabel_; }
    void SetValueLabel(QLabel* label) { valueLabel_ = label; }

    // Sets the position, limited to the range, with the change handler detached meanwhile.
    void SetPositionQuietly(int position);

private:
    QLabel* valueLabel_ = nullptr;
};
