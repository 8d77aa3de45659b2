// Evaluates formulas for the oracle test: each input line "places MODE formula" gives one output
// line, the value or "error CODE", followed by " at column C" when the error names a column.
#include <iostream>
#include <sstream>
#include <string>

#include "calculator.h"

int main() {
    using kestrum::calc::Calculator;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream fields(line);
        std::int64_t places = 0;
        std::string mode;
        fields >> places >> mode;
        fields.get();  // the blank before the formula, which columns do not count
        std::string formula;
        std::getline(fields, formula);
        Calculator calculator;
        calculator.setPlaces(places);
        calculator.setMode(*kestrum::calc::parseRoundingMode(mode));
        try {
            std::cout << calculator.evaluateLine(formula).value_or("") << '\n';
        } catch (const kestrum::calc::CalcError& error) {
            std::cout << "error " << error.code();
            if (error.column() != 0) {
                std::cout << " at column " << error.column();
            }
            std::cout << '\n';
        } catch (const std::exception& failure) {
            std::cout << "failure: " << failure.what() << '\n';
        }
        std::cout.flush();
    }
}
