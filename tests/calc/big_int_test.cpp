#include "big_int.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kestrum::calc {
namespace {

// Expected values from Python's integers: a, b, a + b, a - b, a * b, the quotient truncated
// toward zero and its remainder, and the quotient rounded toward -infinity.
struct ArithmeticCase {
    const char* a;
    const char* b;
    const char* sum;
    const char* difference;
    const char* product;
    const char* quotient;
    const char* remainder;
    const char* floorQuotient;
};

const ArithmeticCase kArithmeticCases[] = {
    {"999999999999999999", "1", "1000000000000000000", "999999999999999998", "999999999999999999",
     "999999999999999999", "0", "999999999999999999"},
    {"999999999999999999999999999999999999", "999999999999999999",
     "1000000000000000000999999999999999998", "999999999999999999000000000000000000",
     "999999999999999998999999999999999999000000000000000001", "1000000000000000001", "0",
     "1000000000000000001"},
    {"-10000000000000000000000000000000000000000", "7", "-9999999999999999999999999999999999999993",
     "-10000000000000000000000000000000000000007", "-70000000000000000000000000000000000000000",
     "-1428571428571428571428571428571428571428", "-4",
     "-1428571428571428571428571428571428571429"},
    {"123456789012345678901234567890", "-98765", "123456789012345678901234469125",
     "123456789012345678901234666655", "-12193209766804320976680432097655850",
     "-1250005457523876665835413", "2945", "-1250005457523876665835414"},
    {"-98765432109876543210987654321012345678", "-123456789012345678901",
     "-98765432109876543334444443333358024579", "-98765432109876543087530865308666666777",
     "12193263113702179522595336074348864502086311538997403139878", "800000007290000066",
     "-42039580317907538212", "800000007290000066"},
    {"1000000000000000000000000000000000001", "1000000000000000000",
     "1000000000000000001000000000000000001", "999999999999999999000000000000000001",
     "1000000000000000000000000000000000001000000000000000000", "1000000000000000000", "1",
     "1000000000000000000"},
    {"5", "-3", "2", "8", "-15", "-1", "2", "-2"},
    {"-5", "3", "-2", "-8", "-15", "-1", "-2", "-2"},
    {"0", "-17", "-17", "17", "0", "0", "0", "0"},
    {"2952314627117616596681675698481858439827417765873232540322188300881963",
     "-8387920583203146153152728",
     "2952314627117616596681675698481858439827417757485311957119042147729235",
     "2952314627117616596681675698481858439827417774261153123525334454034691",
     "-24763780628891577572604111488742136590838840894527221372572824437356771494428533465355439445"
     "064",
     "-351972172105401394678614053436222141600793627", "6751878177007815360817507",
     "-351972172105401394678614053436222141600793628"},
    {"-126103992074285887746060311473247073552394341636145486150574450266783736733412642637304987",
     "832081115735757753486788023086387294303424605",
     "-126103992074285887746060311473247073552394340804064370414816696779995713647025348333880382",
     "-126103992074285887746060311473247073552394342468226601886332203753571759819799936940729592",
     "-10492875042390495421879900768070136611286236502868964493101107981373985861101486013038909908"
     "1502482758332329191356223673865601945005135",
     "-151552522572009033281837205971820367964376076",
     "-655832709240946548063416014848888833705555007",
     "-151552522572009033281837205971820367964376077"},
};

TEST(BigInt, ArithmeticAgreesWithPythonIntegers) {
    for (const ArithmeticCase& c : kArithmeticCases) {
        SCOPED_TRACE(std::string(c.a) + " and " + c.b);
        const BigInt a = BigInt::fromDigits(c.a);
        const BigInt b = BigInt::fromDigits(c.b);
        EXPECT_EQ((a + b).toString(), c.sum);
        EXPECT_EQ((a - b).toString(), c.difference);
        EXPECT_EQ((a * b).toString(), c.product);
        const BigInt::DivMod division = BigInt::divMod(a, b);
        EXPECT_EQ(division.quotient.toString(), c.quotient);
        EXPECT_EQ(division.remainder.toString(), c.remainder);
        EXPECT_EQ(BigInt::floorDiv(a, b).toString(), c.floorQuotient);
    }
}

std::string randomDigits(std::mt19937_64& random, std::size_t length) {
    std::string digits(length, '0');
    for (char& d : digits) {
        d = static_cast<char>('0' + random() % 10);
    }
    digits.front() = static_cast<char>('1' + random() % 9);
    if (random() % 2 == 0) {
        digits.insert(digits.begin(), '-');
    }
    return digits;
}

// Lengths from one limb to the transform's range, with divisors short and long against the
// dividend, checked by the identities that tie the operations together.
TEST(BigInt, LongOperandsSatisfyDivisionIdentities) {
    std::mt19937_64 random(11);
    const std::size_t lengths[][2] = {{40, 18},     {100, 19},      {700, 350},  {2000, 37},
                                      {9000, 4500}, {30000, 15000}, {36000, 700}};
    for (const auto& [lengthA, lengthB] : lengths) {
        const std::string textA = randomDigits(random, lengthA);
        const BigInt a = BigInt::fromDigits(textA);
        const BigInt b = BigInt::fromDigits(randomDigits(random, lengthB));
        EXPECT_EQ(a.toString(), textA);
        EXPECT_EQ(a.digitCount(), lengthA);
        const BigInt::DivMod division = BigInt::divMod(a, b);
        EXPECT_EQ(division.quotient * b + division.remainder, a);
        EXPECT_LT(division.remainder.abs(), b.abs());
        EXPECT_TRUE(division.remainder.isZero() || division.remainder.sign() == a.sign());
        EXPECT_EQ(BigInt::divMod(a * b, b).quotient, a);
        EXPECT_EQ((a + b) - b, a);
    }
}

TEST(BigInt, ShiftsByPowersOfTen) {
    struct Case {
        const char* value;
        std::size_t k;
        const char* up;
        const char* down;
        bool inexact;
        const char* floorDown;
    };
    const Case cases[] = {
        {"123456789", 3, "123456789000", "123456", true, "123456"},
        {"-123456789", 3, "-123456789000", "-123456", true, "-123457"},
        {"-123456000", 3, "-123456000000", "-123456", false, "-123456"},
        {"1000000000000000000000000000000000000", 18,
         "1000000000000000000000000000000000000000000000000000000", "1000000000000000000", false,
         "1000000000000000000"},
        {"-7", 40, "-70000000000000000000000000000000000000000", "0", true, "-1"},
        {"0", 5, "0", "0", false, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const BigInt v = BigInt::fromDigits(c.value);
        bool inexact = !c.inexact;
        EXPECT_EQ(v.shiftedUp(c.k).toString(), c.up);
        EXPECT_EQ(v.shiftedDown(c.k, &inexact).toString(), c.down);
        EXPECT_EQ(inexact, c.inexact);
        EXPECT_EQ(v.floorShiftedDown(c.k).toString(), c.floorDown);
    }
    EXPECT_EQ(BigInt::powerOfTen(37).toString(), "1" + std::string(37, '0'));
}

TEST(BigInt, DigitsAndWords) {
    const BigInt v = BigInt::fromDigits("-120034500000000000000000");
    EXPECT_EQ(v.trailingZeros(), 17U);
    EXPECT_EQ(v.digitAt(17), 5);
    EXPECT_EQ(v.digitAt(22), 2);
    EXPECT_EQ(v.digitAt(40), 0);
    EXPECT_EQ(BigInt::fromDigits("500000000000000000").trailingZeros(), 17U);
    std::uint64_t remainder = 0;
    EXPECT_EQ(v.dividedByWord(7, &remainder).toString(), "-17147785714285714285714");
    EXPECT_EQ(remainder, 2U);
    EXPECT_EQ(v.timesWord(999'999'999'999'999'999ULL).toString(),
              "-120034499999999999879965500000000000000000");
    EXPECT_EQ(BigInt(-9'223'372'036'854'775'807LL - 1).toString(), "-9223372036854775808");
    EXPECT_EQ(BigInt::fromDigits("-9223372036854775807").toInt64(), -9'223'372'036'854'775'807LL);
    EXPECT_TRUE(BigInt(-3).isOdd());
    EXPECT_FALSE(BigInt(0).isOdd());
    EXPECT_EQ(BigInt(-0).sign(), 0);
    EXPECT_EQ(BigInt(0), -BigInt(0));
}

TEST(BigInt, IntegerSquareRoots) {
    std::mt19937_64 random(5);
    for (const std::size_t length : {1U, 17U, 18U, 19U, 36U, 37U, 200U, 1001U, 20000U}) {
        BigInt n = BigInt::fromDigits(randomDigits(random, length)).abs();
        for (const BigInt& value : {n, n * n, n * n - 1}) {
            const BigInt root = value.isqrt();
            EXPECT_LE(root * root, value);
            EXPECT_GT((root + 1) * (root + 1), value);
        }
    }
}

}  // namespace
}  // namespace kestrum::calc
