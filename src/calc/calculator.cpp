#include "calculator.h"

#include "formula_parser.h"
#include "formula_value.h"

namespace kestrum::calc {

void Calculator::setPlaces(std::int64_t places) {
    if (places < 0 || places > kMaxPlaces) {
        throw std::invalid_argument("places must be from 0 to " + std::to_string(kMaxPlaces));
    }
    places_ = places;
}

std::optional<std::string> Calculator::evaluateLine(std::string_view line) {
    const NameResolver resolveName = [this](std::string_view name,
                                            std::size_t column) -> FormulaPtr {
        if (name == "ans") {
            if (!ans_) {
                const std::string at = std::to_string(column);
                throw CalcError(5, column, "ans has no value yet at column " + at);
            }
            auto number = std::make_shared<FormulaNode>();
            number->column = column;
            number->number = Decimal::fromText(*ans_);
            return number;
        }
        const auto variable = variables_.find(name);
        return variable == variables_.end() ? nullptr : variable->second;
    };
    ParsedLine parsed = parseFormulaLine(line, resolveName, true);
    if (!parsed.formula) {
        return std::nullopt;
    }
    std::string value = roundedFormulaValue(*parsed.formula, places_, mode_).toString();
    if (!parsed.assignedName.empty()) {
        variables_.insert_or_assign(std::move(parsed.assignedName), std::move(parsed.formula));
        return std::nullopt;
    }
    ans_ = value;
    return value;
}

}  // namespace kestrum::calc
