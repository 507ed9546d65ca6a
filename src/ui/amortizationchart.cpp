#include "ui/amortizationchart.h"

#include <QFrame>
#include <QLocale>
#include <QPen>
#include <qwt_column_symbol.h>
#include <qwt_legend.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_multi_barchart.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_engine.h>
#include <qwt_text.h>

#include <algorithm>
#include <cmath>

namespace Corvane {

namespace {
    const QLocale& italian()
    {
        static const QLocale locale(QLocale::Italian, QLocale::Italy);
        return locale;
    }

    /// Euro amounts without decimals, thousands grouped with ".".
    class AmountScaleDraw final : public QwtScaleDraw {
    public:
        QwtText label(double value) const override { return italian().toString(value, 'f', 0); }
    };

    /// The instalment axis: bar i carries the number of the plan's row i.
    class InstalmentScaleDraw final : public QwtScaleDraw {
    public:
        explicit InstalmentScaleDraw(const QStringList& numbers)
            : numbers(numbers)
        {
        }
        QwtText label(double value) const override
        {
            const double index = std::round(value);
            if (std::abs(value - index) > 1e-6 || index < 0 || index >= numbers.size())
                return QwtText();
            return numbers.at(static_cast<int>(index));
        }

    private:
        QStringList numbers;
    };

    QwtColumnSymbol* column(const QColor& colour)
    {
        auto* symbol = new QwtColumnSymbol(QwtColumnSymbol::Box);
        symbol->setFrameStyle(QwtColumnSymbol::NoFrame);
        symbol->setPalette(QPalette(colour));
        return symbol;
    }
}

AmortizationChart::AmortizationChart(QWidget* parent)
    : QwtPlot(parent)
{
    // Small print, as in the rest of the window: Qwt gives its axes fonts of their own, and the
    // window's style sheet decides the legend's.
    QFont small = font();
    small.setPixelSize(10);
    setCanvasBackground(Qt::white);
    if (auto* frame = qobject_cast<QFrame*>(canvas()))
        frame->setFrameStyle(QFrame::NoFrame);
    auto* legend = new QwtLegend;
    legend->setStyleSheet(QStringLiteral("QwtLegendLabel {font-size:10px}"));
    insertLegend(legend, QwtPlot::BottomLegend);
    enableAxis(QwtPlot::yRight);
    const auto title = [&small](const QString& text) {
        QwtText title(text);
        title.setFont(small);
        return title;
    };
    setAxisTitle(QwtPlot::xBottom, title(QStringLiteral("Rata")));
    setAxisTitle(QwtPlot::yLeft, title(QStringLiteral("Quota (€)")));
    setAxisTitle(QwtPlot::yRight, title(QStringLiteral("Debito residuo (€)")));
    for (int axis : { QwtPlot::xBottom, QwtPlot::yLeft, QwtPlot::yRight }) {
        setAxisFont(axis, small);
        setAxisMaxMinor(axis, 0);
    }
    setAxisScaleDraw(QwtPlot::yLeft, new AmountScaleDraw);
    setAxisScaleDraw(QwtPlot::yRight, new AmountScaleDraw);

    instalments = new QwtPlotMultiBarChart;
    instalments->setStyle(QwtPlotMultiBarChart::Stacked);
    // Each bar 0.8 of an instalment's room on the axis.
    instalments->setLayoutPolicy(QwtPlotAbstractBarChart::ScaleSamplesToAxes);
    instalments->setLayoutHint(0.8);
    instalments->setBarTitles({ QwtText(QStringLiteral("Capitale pagato")),
        QwtText(QStringLiteral("Interessi pagati")), QwtText(QStringLiteral("Capitale da pagare")),
        QwtText(QStringLiteral("Interessi da pagare")) });
    instalments->setSymbol(PaidPrincipal, column(QColor(0x2e, 0x6d, 0xb4)));
    instalments->setSymbol(PaidInterest, column(QColor(0xe0, 0x8a, 0x1e)));
    instalments->setSymbol(UnpaidPrincipal, column(QColor(0x9a, 0x9a, 0x9a)));
    instalments->setSymbol(UnpaidInterest, column(QColor(0xdc, 0xdc, 0xdc)));
    instalments->setAxes(QwtPlot::xBottom, QwtPlot::yLeft);
    instalments->attach(this);

    auto* grid = new QwtPlotGrid;
    grid->enableX(false);
    grid->setMajorPen(QColor(0xe4, 0xe4, 0xe4), 1.0);
    grid->attach(this);

    residualDebt = new QwtPlotCurve(QStringLiteral("Debito residuo"));
    residualDebt->setPen(QColor(0xb0, 0x20, 0x20), 2.0);
    residualDebt->setRenderHint(QwtPlotItem::RenderAntialiased);
    residualDebt->setLegendAttribute(QwtPlotCurve::LegendShowLine);
    residualDebt->setAxes(QwtPlot::xBottom, QwtPlot::yRight);
    residualDebt->attach(this);
    setInstalments({});
}

// The plot deletes its attached items.
AmortizationChart::~AmortizationChart() = default;

void AmortizationChart::setInstalments(const QVector<Model::Instalment>& plan)
{
    QVector<QwtSetSample> bars;
    QVector<QPointF> debts;
    QStringList numbers;
    double highestInstalment = 0.0;
    double highestDebt = 0.0;
    for (int row = 0; row < plan.size(); ++row) {
        const Model::Instalment& instalment = plan.at(row);
        const bool paid = instalment.paid;
        const double principal = instalment.principal;
        const double interest = instalment.interest;
        const double debt = instalment.residualDebt;
        // Each instalment fills one pair of the stacked values and leaves the other at nothing.
        bars << QwtSetSample(row,
            { paid ? principal : 0.0, paid ? interest : 0.0, paid ? 0.0 : principal,
                paid ? 0.0 : interest });
        debts << QPointF(row, debt);
        numbers << instalment.number;
        highestInstalment = std::max(highestInstalment, principal + interest);
        highestDebt = std::max(highestDebt, debt);
    }
    instalments->setSamples(bars);
    residualDebt->setSamples(debts);

    auto* instalmentAxis = new InstalmentScaleDraw(numbers);
    instalmentAxis->setLabelRotation(-90.0);
    instalmentAxis->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAxisScaleDraw(QwtPlot::xBottom, instalmentAxis);
    // Beyond a few dozen instalments their numbers only blur into each other: every n-th.
    const int step = std::max(1, static_cast<int>(std::ceil(numbers.size() / 36.0)));
    setAxisScale(QwtPlot::xBottom, -0.5, std::max(0.5, numbers.size() - 0.5), step);

    // Amount axes from nothing to a round figure above the highest value.
    const auto fit = [this](int axis, double highest) {
        double low = 0.0;
        double high = highest > 0.0 ? highest * 1.05 : 1.0;
        double stepSize = 0.0;
        axisScaleEngine(axis)->autoScale(6, low, high, stepSize);
        setAxisScale(axis, 0.0, high, stepSize);
    };
    fit(QwtPlot::yLeft, highestInstalment);
    fit(QwtPlot::yRight, highestDebt);
    replot();
}

}

extern "C" Q_DECL_EXPORT Corvane::AmortizationPlot* corvaneCreateAmortizationPlot(QWidget* parent)
{
    return new Corvane::AmortizationChart(parent);
}
