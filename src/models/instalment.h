#pragma once

#include <QString>

namespace Corvane::Model {

/// One instalment of an amortization plan with its amounts as numbers, as the chart draws it.
struct Instalment {
    QString number;
    double principal = 0.0;
    double interest = 0.0;
    /// The debt left after the instalment.
    double residualDebt = 0.0;
    bool paid = false;
};

}
