#include "function_oracle.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

Ball ballOf(const std::string& text) {
    return Ball(Decimal::fromText(text));
}

}  // namespace kestrum::calc::testing
