#include "amortizationplan.h"

#include <cmath>

namespace Corvane::Server {

std::vector<AmortizationPlan::Instalment> AmortizationPlan::french(
    std::int64_t principalCents, int annualRateBasisPoints, int months, const QDate& firstDue)
{
    std::vector<Instalment> plan;
    if (principalCents <= 0 || months <= 0)
        return plan;
    const double monthlyRate = annualRateBasisPoints / 10000.0 / 12.0;
    const double exactPayment = monthlyRate == 0.0 ? static_cast<double>(principalCents) / months
                                                   : static_cast<double>(principalCents)
            * monthlyRate / (1.0 - std::pow(1.0 + monthlyRate, -months));
    const auto payment = static_cast<std::int64_t>(std::llround(exactPayment));
    std::int64_t debt = principalCents;
    std::int64_t repaid = 0;
    std::int64_t interestPaid = 0;
    for (int number = 1; number <= months; ++number) {
        Instalment instalment;
        instalment.number = number;
        instalment.interest
            = static_cast<std::int64_t>(std::llround(static_cast<double>(debt) * monthlyRate));
        instalment.principal = number == months ? debt : payment - instalment.interest;
        instalment.payment = instalment.principal + instalment.interest;
        debt -= instalment.principal;
        repaid += instalment.principal;
        interestPaid += instalment.interest;
        instalment.remainingDebt = debt;
        instalment.principalRepaid = repaid;
        instalment.interestPaid = interestPaid;
        instalment.dueDate = firstDue.addMonths(number - 1);
        plan.push_back(instalment);
    }
    return plan;
}

}
