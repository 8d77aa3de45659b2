// Evaluates formulas for the oracle test: each input line "places MODE formula" gives one output
// line, the value or "error CODE".
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
        std::string formula;
        std::getline(fields, formula);
        Calculator calculator;
        calculator.setPlaces(places);
        calculator.setMode(*kestrum::calc::parseRoundingMode(mode));
        try {
            std::cout << calculator.evaluateLine(formula).value_or("") << '\n';
        } catch (const kestrum::calc::CalcError& error) {
            std::cout << "error " << error.code() << '\n';
        } catch (const std::exception& failure) {
            std::cout << "failure: " << failure.what() << '\n';
        }
        std::cout.flush();
    }
}
