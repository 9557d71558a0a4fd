#pragma once
// Logging in (main and test servers) and creating an account: the questions
// asked through the text entry, and the server's answers.
#include "protocol/wire.h"

#include <string>

// The test server's access password for the login being prepared; empty for the main server.
extern std::string g_accessPassForLogin;
// Answers collected during account creation; g_registerEmail holds the e-mail's hash once sent.
extern std::string g_registerUsername;
extern std::string g_registerEmail;
extern std::string g_registerPassHash;
extern std::string g_registerGender;

// Says `announce` and connects to the main server; says the failure and
// gives false when it cannot.
bool connectToMainServer(const std::string& announce);
// Asks for what the saved profile lacks (e-mail, password), or sends the login.
void menuStartLoginFlow(const std::string& accessPass);
void menuStartRegisterFlow();
// An account made elsewhere: connects to the main server and asks for its
// e-mail, then its password, whatever the profile held.
void menuStartAccountLogin();

void onAuthOk(FieldCursor& fields);
void onAuthFail(FieldCursor& fields);
void onRegisterOk(FieldCursor& fields);
void onRegisterFail(FieldCursor& fields);
void onUsernameOk(FieldCursor& fields);
void onUsernameFail(FieldCursor& fields);

// Connection lifetime: no login or registration under way.
void resetAccountFlow();
