#pragma once

#include "ui/amortizationplot.h"

#include <qwt_plot.h>

class QwtPlotCurve;
class QwtPlotMultiBarChart;

namespace Corvane {

/// The amortization chart of the chart module (`AmortizationPlot::create` makes it), drawn with
/// Qwt. Owns its plot items.
class AmortizationChart final : public QwtPlot, public AmortizationPlot {
    Q_OBJECT
public:
    /// The stacked values of each bar, in this order.
    enum Bar { PaidPrincipal, PaidInterest, UnpaidPrincipal, UnpaidInterest, BarCount };

    explicit AmortizationChart(QWidget* parent = nullptr);
    ~AmortizationChart() override;

    QWidget* widget() override { return this; }
    void setInstalments(const QVector<Model::Instalment>& instalments) override;

    /// One point per instalment: its position on the instalment axis and the debt left after it.
    QwtPlotCurve* getResidualDebtCurve() const { return residualDebt; }
    /// One sample per instalment, with the values of `Bar`.
    QwtPlotMultiBarChart* getInstalmentBars() const { return instalments; }

private:
    QwtPlotCurve* residualDebt = nullptr;
    QwtPlotMultiBarChart* instalments = nullptr;
};

}
