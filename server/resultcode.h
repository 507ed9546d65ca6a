#pragma once

namespace Corvane::Server {

/// The "esito_id" values the client knows.
namespace ResultCode {
    constexpr int Ok = 0;
    constexpr int UnknownConsortium = 3;
    constexpr int UnknownUser = 4;
    constexpr int LoginFailed = 9;
    constexpr int NoResult = 10;
    constexpr int PecNotFound = 11;
    constexpr int RateLimited = 201;
    constexpr int AuthTokenMissing = 300;
    constexpr int ActivationPending = 301;
    constexpr int PasswordExpired = 302;
    constexpr int TwoFaInactive = 303;
    constexpr int TwoFaTokenMissing = 304;
    constexpr int UserAlreadyPresent = 305;
    constexpr int ActivationCodeWrong = 307;
    constexpr int ActivationCodeExpired = 308;
    constexpr int TwoFaCodeWrong = 311;
    constexpr int TwoFaTokenInvalid = 312;
    constexpr int TokenNotValid = 313;
    constexpr int PasswordWrong = 314;
    constexpr int TwoFaFirstCodeWrong = 315;
    constexpr int PasswordValidationFailed = 316;
    constexpr int LoginValidationFailed = 317;
    constexpr int RequestValidationFailed = 318;
    constexpr int ActivationCodeValidationFailed = 319;
    constexpr int TwoFaFirstValidationFailed = 320;
    constexpr int TwoFaValidationFailed = 321;
}

}
