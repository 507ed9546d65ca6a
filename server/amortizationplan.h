#pragma once

#include <QDate>

#include <cstdint>
#include <vector>

namespace Corvane::Server {

/// A loan's repayment plan with constant instalments (French method), in cents.
class AmortizationPlan final {
public:
    struct Instalment {
        int number = 0;
        std::int64_t payment = 0;
        std::int64_t principal = 0;
        std::int64_t interest = 0;
        std::int64_t remainingDebt = 0;
        std::int64_t principalRepaid = 0;
        std::int64_t interestPaid = 0;
        QDate dueDate;
    };

    /// Monthly instalments from firstDue on; the last one absorbs the rounding.
    static std::vector<Instalment> french(
        std::int64_t principalCents, int annualRateBasisPoints, int months, const QDate& firstDue);
};

}
