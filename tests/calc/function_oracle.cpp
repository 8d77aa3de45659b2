#include "function_oracle.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>

namespace kestrum::calc::testing {

bool oracleAvailable() {
    return access("/usr/bin/python3", X_OK) == 0;
}

std::vector<std::string> oracleValues(const std::vector<OracleCase>& cases) {
    char path[] = "/tmp/kestrum-calc-oracle-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        return {};
    }
    close(fd);
    {
        std::ofstream input(path);
        for (const OracleCase& c : cases) {
            input << c.function << ' ' << c.digits;
            for (const std::string& a : c.arguments) {
                input << ' ' << a;
            }
            input << '\n';
        }
    }
    const std::string command =
        std::string("/usr/bin/python3 ") + KESTRUM_CALC_ORACLE + " < " + path + " 2>/dev/null";
    std::vector<std::string> values;
    {
        const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        std::string line;
        for (int ch = 0; pipe && (ch = std::fgetc(pipe.get())) != EOF;) {
            if (ch == '\n') {
                values.push_back(line);
                line.clear();
            } else {
                line.push_back(static_cast<char>(ch));
            }
        }
    }
    std::remove(path);
    return values;
}

::testing::AssertionResult holdsTightly(const Ball& ball, const std::string& value,
                                        std::int64_t digits) {
    const Decimal exact = Decimal::fromText(value);
    if (exact < ball.lower() || ball.upper() < exact) {
        return ::testing::AssertionFailure()
               << "ball " << ball.mid().toString() << " +- " << ball.radius().toDecimal().toString()
               << " misses " << value;
    }
    const std::int64_t size = exact.isZero() ? 0 : *exact.magnitude();
    if (ball.radius().magnitude() > size - digits + 3) {
        return ::testing::AssertionFailure()
               << "radius " << ball.radius().toDecimal().toString() << " too wide for " << digits
               << " digits of " << value;
    }
    return ::testing::AssertionSuccess();
}

std::string longDecimal(const std::string& head, std::size_t count) {
    std::string digits;
    for (int n = 1; digits.size() < count; ++n) {
        digits += std::to_string(n);
    }
    return head + digits.substr(0, count);
}

Ball ballOf(const std::string& text) {
    return Ball(Decimal::fromText(text));
}

namespace {

Ball evaluateOn(const std::string& function, const Ball& x, Precision p) {
    using Unary = Ball (*)(const Ball&, Precision);
    static const std::map<std::string, Unary> unary = {
        {"exp", exp}, {"ln", ln},     {"sin", sin},   {"cos", cos},
        {"tan", tan}, {"atan", atan}, {"asin", asin}, {"acos", acos},
    };
    return unary.at(function)(x, p);
}

}  // namespace

Ball evaluate(const OracleCase& c, Precision p) {
    if (c.function == "atan2") {
        return atan2(ballOf(c.arguments[0]), ballOf(c.arguments[1]), p);
    }
    return evaluateOn(c.function, ballOf(c.arguments[0]), p);
}

void expectOracleValues(const std::vector<OracleCase>& arguments,
                        const std::vector<std::int64_t>& precisions) {
    if (!oracleAvailable()) {
        GTEST_SKIP() << "no Python for the oracle";
    }
    std::vector<OracleCase> cases;
    for (const std::int64_t digits : precisions) {
        for (OracleCase c : arguments) {
            c.digits = digits;
            cases.push_back(std::move(c));
        }
    }
    const std::vector<std::string> values = oracleValues(cases);
    ASSERT_EQ(values.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const OracleCase& c = cases[i];
        std::string call = c.function + "(" + c.arguments[0];
        for (std::size_t k = 1; k < c.arguments.size(); ++k) {
            call += ", " + c.arguments[k];
        }
        call += ") at " + std::to_string(c.digits) + " digits";
        try {
            EXPECT_TRUE(holdsTightly(evaluate(c, Precision{c.digits}), values[i], c.digits))
                << call;
        } catch (const std::exception& error) {
            ADD_FAILURE() << call << " threw " << error.what();
        }
    }
}

void expectWideCasesCovered(const std::vector<WideCase>& wide, std::int64_t digits) {
    if (!oracleAvailable()) {
        GTEST_SKIP() << "no Python for the oracle";
    }
    std::vector<OracleCase> ends;
    for (const WideCase& w : wide) {
        ends.push_back({w.function, digits, {w.lower}});
        ends.push_back({w.function, digits, {w.upper}});
    }
    const std::vector<std::string> values = oracleValues(ends);
    ASSERT_EQ(values.size(), ends.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const WideCase& w = wide[i];
        const Ball x(Decimal::fromText(w.mid), w.radius);
        const Ball result = evaluateOn(w.function, x, Precision{digits});
        for (const std::string& end : {values[2 * i], values[2 * i + 1]}) {
            const Decimal value = Decimal::fromText(end);
            EXPECT_TRUE(result.lower() <= value && value <= result.upper())
                << w.function << "(" << w.mid << " +- radius) misses " << end;
        }
    }
}

}  // namespace kestrum::calc::testing
