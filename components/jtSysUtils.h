#pragma once
// Failures and number texts shared by every unit: the exception classes whose
// names and messages the user sees, and the conversions between numbers and
// texts that use the regional decimal separator.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// The root of the program's failures. ClassName() is what the start-up error
// box names; Message() is what the general handler shows.
class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : message_(std::move(Message)) {}
    virtual const char* ClassName() const noexcept { return "Exception"; }
    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string Message) { message_ = std::move(Message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

#define JT_EXCEPTION_CLASS(Name, Base)                                              \
    class Name : public Base {                                                      \
    public:                                                                         \
        using Base::Base;                                                           \
        const char* ClassName() const noexcept override { return #Name; }           \
    };

JT_EXCEPTION_CLASS(EConvertError, Exception)
JT_EXCEPTION_CLASS(EInvalidCast, Exception)
JT_EXCEPTION_CLASS(EInvalidOperation, Exception)
JT_EXCEPTION_CLASS(EStreamError, Exception)
JT_EXCEPTION_CLASS(EFOpenError, EStreamError)
JT_EXCEPTION_CLASS(EFCreateError, EStreamError)
JT_EXCEPTION_CLASS(EInvalidGraphic, Exception)

// An input/output failure that carries the system's error code (errno).
class EInOutError : public Exception {
public:
    EInOutError(std::string Message, int Code) : Exception(std::move(Message)), ErrorCode(Code) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }
    int ErrorCode;
};

namespace jt {

// The regional decimal separator, from the platform layer.
char DecimalSeparator();

// A decimal number: optional blanks, an optional sign, digits with at most one
// decimal separator, an optional exponent (E or e, optional sign, digits),
// optional blanks. Nothing else ("inf", "0x10", "1e" and "1,5" with "." as
// separator are not numbers). With TrailingBlanks false the text must end
// right after the number.
bool TryTextToFloat(std::string_view Text, char Separator, double& Value, bool TrailingBlanks = true);
// The same in extended precision, for the settings' typed values.
bool TryTextToFloat(std::string_view Text, char Separator, long double& Value, bool TrailingBlanks = true);
// The same, raising EConvertError "'%s' is not a valid floating point value".
double TextToFloat(std::string_view Text, char Separator);
double TextToFloat(std::string_view Text);

// A whole number: optional leading blanks, an optional sign, then decimal
// digits, or hexadecimal digits after "$" or "0x". Decimal values must fit
// 32 bits; hexadecimal ones may use all 32 bits (so "$FFFFFFFF" is -1).
bool TryTextToInt(std::string_view Text, std::int32_t& Value);
// The same, raising EConvertError "'%s' is not a valid integer value".
std::int32_t TextToInt(std::string_view Text);

// General form with Precision significant digits (limited to 2..18): fixed
// notation for 1E-4 <= |x| < 10^Precision, else d.dddE-n; no trailing zeros.
std::string FormatGeneral(long double Value, int Precision, char Separator);
// The general text of a floating value, 15 significant digits.
std::string FloatToText(long double Value);
// printf's "%4.*f" with the regional decimal separator.
std::string FormatFixed(long double Value, int Decimals, char Separator);
std::string FormatFixed(long double Value, int Decimals);

}  // namespace jt

// Value with a fixed number of decimals and a "." whatever the locale
// ("12.3" for 12.34 and 1 decimal): the exact binary value rounded to the
// nearest, a tie to the even digit, never "-0.0". The CSV files and the
// windows that show the same values both write them so.
std::string FixedText(double Value, int Decimals);
