#pragma once

#include <qwt_plot.h>

class QwtPlotCurve;
class QwtPlotMultiBarChart;

namespace Corvane {

namespace Model {
    class Amortization;
}

/// The amortization plan drawn: the residual debt after each instalment as a line over the
/// instalments, on its own axis at the right, and each instalment's principal and interest as a
/// stacked bar, paid instalments in their own colours and unpaid ones in grey. Redrawn whenever
/// the plan model is reset; owns its plot items.
class AmortizationChart final : public QwtPlot {
    Q_OBJECT
public:
    /// The stacked values of each bar, in this order.
    enum Bar { PaidPrincipal, PaidInterest, UnpaidPrincipal, UnpaidInterest, BarCount };

    explicit AmortizationChart(Model::Amortization* amortizationModel, QWidget* parent = nullptr);
    ~AmortizationChart() override;

    /// One point per instalment: its position on the instalment axis and the debt left after it.
    QwtPlotCurve* getResidualDebtCurve() const { return residualDebt; }
    /// One sample per instalment, with the values of `Bar`.
    QwtPlotMultiBarChart* getInstalmentBars() const { return instalments; }

public slots:
    void onAmortizationModelReset();

private:
    Model::Amortization* amortizationModel;
    QwtPlotCurve* residualDebt = nullptr;
    QwtPlotMultiBarChart* instalments = nullptr;
};

}
