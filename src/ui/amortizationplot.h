#pragma once

#include "models/instalment.h"

#include <QVector>

class QWidget;

namespace Corvane {

/// The amortization plan drawn: the residual debt after each instalment as a line on its own
/// axis, each instalment's principal and interest as a stacked bar, paid ones in colour and
/// unpaid ones in grey. The plotting library it needs lives in a module of its own, loaded the
/// first time a chart is made, so that the program starts without it.
class AmortizationPlot {
public:
    virtual ~AmortizationPlot() = default;

    /// The chart itself, a child of the widget it was made for, which deletes it.
    virtual QWidget* widget() = 0;
    virtual void setInstalments(const QVector<Model::Instalment>& instalments) = 0;

    /// A chart, child of parent; null (and logged) when the chart module cannot be loaded.
    static AmortizationPlot* create(QWidget* parent);
};

}
