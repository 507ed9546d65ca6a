#pragma once

#include <QtCharts/QChartView>

namespace QtCharts {
class QBarSet;
class QLineSeries;
class QStackedBarSeries;
}

namespace Corvane {

namespace Model {
    class Amortization;
}

/// The amortization plan drawn: the residual debt after each instalment as a line over the
/// instalments, and each instalment's principal and interest as a stacked bar, paid instalments in
/// their own colours and unpaid ones in grey. Redrawn whenever the plan model is reset.
class AmortizationChart final : public QtCharts::QChartView {
    Q_OBJECT
public:
    explicit AmortizationChart(Model::Amortization* amortizationModel, QWidget* parent = nullptr);
    ~AmortizationChart() override;

    QtCharts::QLineSeries* getResidualDebtSeries() const { return residualDebt; }
    QtCharts::QStackedBarSeries* getInstalmentSeries() const { return instalments; }
    QtCharts::QBarSet* getPaidPrincipal() const { return paidPrincipal; }
    QtCharts::QBarSet* getPaidInterest() const { return paidInterest; }
    QtCharts::QBarSet* getUnpaidPrincipal() const { return unpaidPrincipal; }
    QtCharts::QBarSet* getUnpaidInterest() const { return unpaidInterest; }

public slots:
    void onAmortizationModelReset();

private:
    Model::Amortization* amortizationModel;
    QtCharts::QLineSeries* residualDebt = nullptr;
    QtCharts::QStackedBarSeries* instalments = nullptr;
    QtCharts::QBarSet* paidPrincipal = nullptr;
    QtCharts::QBarSet* paidInterest = nullptr;
    QtCharts::QBarSet* unpaidPrincipal = nullptr;
    QtCharts::QBarSet* unpaidInterest = nullptr;
};

}
