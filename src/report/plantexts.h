#pragma once

#include "engine/plan/planreasons.h"

#include <QCoreApplication>

// The channel plan's verdicts, reasons, binding constraints and notes in the language of the
// user, for the report and the windows; the files and standard error keep the engine's English,
// which scripts read.
class PlanTexts
{
    Q_DECLARE_TR_FUNCTIONS(PlanTexts)

public:
    static QString verdictName(PlanVerdict verdict);
    static QString reasonText(const PlanReason &reason, const PlanConstraints &constraints);
    static QString limitText(const PlanLimit &limit, const PlanConstraints &constraints, int open);
    static QString fixedProductText(const FixedProduct &fixed);
    static QString productsText(PlanProducts products);

private:
    static QString makesProduct(const PlanReason &reason);
    static QString termList(const PlanProduct &product, int left = -1);
};
