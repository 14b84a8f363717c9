#pragma once

#include "engine/plan/planconstraints.h"

#include <array>

// An intermodulation product of two or three channels: the channel index where
// coefficient[0]*A + coefficient[1]*B + coefficient[2]*C lands, which may lie off the grid.
struct PlanProduct
{
    enum class Form { TwoAMinusB, APlusBMinusC, ThreeAMinusTwoB, TwoAPlusBMinusTwoC };

    Form form = Form::TwoAMinusB;
    std::array<int, 3> terms{-1, -1, -1}; // channel indices; -1 past the form's terms
    int lands = 0;

    [[nodiscard]] int termCount() const { return terms[2] < 0 ? 2 : 3; }
    [[nodiscard]] bool hasTerm(int index) const
    {
        return terms[0] == index || terms[1] == index || terms[2] == index;
    }
    [[nodiscard]] ChannelMask termMask() const;
};

namespace plan {

// "2A-B", "A+B-C", "3A-2B", "2A+B-2C".
const char *formPattern(PlanProduct::Form form);
// The product with channel numbers in place of the letters: "2*12-17".
QString productText(const PlanProduct &product);

// Calls visit(const PlanProduct &) once for every product of the order among the terms: 2A-B
// and 3A-2B for every ordered pair of distinct channels, A+B-C for every pair {A, B} and a third
// C, 2A+B-2C for every ordered triple of distinct channels.
template <typename Visit> void forEachProduct(PlanProducts order, ChannelMask terms, Visit &&visit)
{
    if (order == PlanProducts::None) {
        return;
    }
    const bool fifth = order == PlanProducts::Fifth;
    std::array<int, channelplan::kChannelCount> members{};
    int count = 0;
    for (ChannelMask left = terms; left != 0; left &= left - 1) {
        members[count++] = __builtin_ctzll(left);
    }
    PlanProduct product;
    for (int i = 0; i < count; ++i) {
        const int a = members[i];
        for (int j = 0; j < count; ++j) {
            if (j == i) {
                continue;
            }
            const int b = members[j];
            product.terms = {a, b, -1};
            product.form = PlanProduct::Form::TwoAMinusB;
            product.lands = 2 * a - b;
            visit(product);
            if (fifth) {
                product.form = PlanProduct::Form::ThreeAMinusTwoB;
                product.lands = 3 * a - 2 * b;
                visit(product);
            }
            for (int k = 0; k < count; ++k) {
                if (k == i || k == j) {
                    continue;
                }
                const int c = members[k];
                product.terms = {a, b, c};
                if (i < j) {
                    product.form = PlanProduct::Form::APlusBMinusC;
                    product.lands = a + b - c;
                    visit(product);
                }
                if (fifth) {
                    product.form = PlanProduct::Form::TwoAPlusBMinusTwoC;
                    product.lands = 2 * a + b - 2 * c;
                    visit(product);
                }
            }
        }
    }
}

} // namespace plan
