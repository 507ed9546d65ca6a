#include "ui/amortizationchart.h"

#include "core/logging.h"
#include "models/amortization.h"

#include <QLocale>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

using namespace QtCharts;

namespace Corvane {

namespace {
    /// The server writes amounts the Italian way: "1.234,56".
    double amount(const QString& text)
    {
        static const QLocale italian(QLocale::Italian, QLocale::Italy);
        bool ok = false;
        const double value = italian.toDouble(text, &ok);
        return ok ? value : 0.0;
    }

    /// A value axis whose top is a round figure above the highest value.
    void fitAxis(QValueAxis* axis, double highest)
    {
        axis->setRange(0.0, highest > 0.0 ? highest * 1.05 : 1.0);
        axis->applyNiceNumbers();
    }
}

AmortizationChart::AmortizationChart(Model::Amortization* amortizationModel, QWidget* parent)
    : QChartView(parent)
    , amortizationModel(amortizationModel)
{
    setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPointSize(7);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->legend()->setFont(small);
    chart()->setMargins(QMargins(2, 2, 2, 2));
    connect(amortizationModel, &QAbstractItemModel::modelReset, this,
        &AmortizationChart::onAmortizationModelReset);
    onAmortizationModelReset();
}

AmortizationChart::~AmortizationChart() = default;

void AmortizationChart::onAmortizationModelReset()
{
    QChart* plot = chart();
    plot->removeAllSeries();
    // The chart hands a removed axis back to its caller.
    for (QAbstractAxis* axis : plot->axes()) {
        plot->removeAxis(axis);
        delete axis;
    }

    paidPrincipal = new QBarSet(QStringLiteral("Capitale pagato"));
    paidInterest = new QBarSet(QStringLiteral("Interessi pagati"));
    unpaidPrincipal = new QBarSet(QStringLiteral("Capitale da pagare"));
    unpaidInterest = new QBarSet(QStringLiteral("Interessi da pagare"));
    paidPrincipal->setColor(QColor(0x2e, 0x6d, 0xb4));
    paidInterest->setColor(QColor(0xe0, 0x8a, 0x1e));
    unpaidPrincipal->setColor(QColor(0x9a, 0x9a, 0x9a));
    unpaidInterest->setColor(QColor(0xdc, 0xdc, 0xdc));
    for (QBarSet* set : { paidPrincipal, paidInterest, unpaidPrincipal, unpaidInterest })
        set->setBorderColor(set->color());
    instalments = new QStackedBarSeries;
    residualDebt = new QLineSeries;
    residualDebt->setName(QStringLiteral("Debito residuo"));
    residualDebt->setColor(QColor(0xb0, 0x20, 0x20));

    QStringList numbers;
    double highestInstalment = 0.0;
    double highestDebt = 0.0;
    const Model::Amortization* model = amortizationModel;
    for (int row = 0; row < model->rowCount(); ++row) {
        const auto value
            = [model, row](const char* key) { return model->getValue(row, QLatin1String(key)); };
        const bool paid = value("rata_pagata") != QLatin1String("N");
        const double principal = amount(value("quota_capitale"));
        const double interest = amount(value("quota_interesse"));
        const double debt = amount(value("debito_residuo"));
        // Each instalment sits in one pair of sets and leaves a gap in the other.
        *paidPrincipal << (paid ? principal : 0.0);
        *paidInterest << (paid ? interest : 0.0);
        *unpaidPrincipal << (paid ? 0.0 : principal);
        *unpaidInterest << (paid ? 0.0 : interest);
        residualDebt->append(row, debt);
        numbers << value("numero_rata");
        highestInstalment = std::max(highestInstalment, principal + interest);
        highestDebt = std::max(highestDebt, debt);
    }
    instalments->append({ paidPrincipal, paidInterest, unpaidPrincipal, unpaidInterest });
    instalments->setBarWidth(0.8);
    plot->addSeries(instalments);
    plot->addSeries(residualDebt);

    auto* instalmentAxis = new QBarCategoryAxis;
    instalmentAxis->append(numbers);
    QFont small = font();
    small.setPointSize(7);
    instalmentAxis->setTitleText(QStringLiteral("Rata"));
    instalmentAxis->setTitleFont(small);
    instalmentAxis->setLabelsFont(small);
    instalmentAxis->setLabelsAngle(-90);
    // Beyond a few dozen instalments their numbers only blur into each other.
    instalmentAxis->setLabelsVisible(numbers.size() <= 36);
    plot->addAxis(instalmentAxis, Qt::AlignBottom);
    instalments->attachAxis(instalmentAxis);
    residualDebt->attachAxis(instalmentAxis);

    auto* amountAxis = new QValueAxis;
    amountAxis->setTitleText(QStringLiteral("Quota (€)"));
    amountAxis->setLabelFormat(QStringLiteral("%.0f"));
    amountAxis->setTitleFont(small);
    amountAxis->setLabelsFont(small);
    fitAxis(amountAxis, highestInstalment);
    plot->addAxis(amountAxis, Qt::AlignLeft);
    instalments->attachAxis(amountAxis);

    auto* debtAxis = new QValueAxis;
    debtAxis->setTitleText(QStringLiteral("Debito residuo (€)"));
    debtAxis->setLabelFormat(QStringLiteral("%.0f"));
    debtAxis->setTitleFont(small);
    debtAxis->setLabelsFont(small);
    fitAxis(debtAxis, highestDebt);
    plot->addAxis(debtAxis, Qt::AlignRight);
    residualDebt->attachAxis(debtAxis);

    qCDebug(corvaneLog) << "Amortization chart drawn with" << numbers.size() << "instalments";
}

}
