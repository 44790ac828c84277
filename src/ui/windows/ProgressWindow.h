// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "conversion/ConversionRun.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace kalvo {

// Form1: "Converting..." and the bar pb1 (0 to 82) that the conversion run
// steps once per row. Hidden, not destroyed, between runs.
class Form1 final : public QWidget, public ProgressView {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);

    void showProgress() override;
    float progressValue() const override;
    void setProgressValue(float value) override;
    void hideProgress() override;

    QLabel* Label1;
    QProgressBar* pb1;
};

} // namespace kalvo
