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

// Asks for what the saved profile lacks (e-mail, password), or sends the login.
void menuStartLoginFlow(const std::string& accessPass);
void menuStartRegisterFlow();

void onAuthOk(FieldCursor& fields);
void onAuthFail(FieldCursor& fields);
void onRegisterOk(FieldCursor& fields);
void onRegisterFail(FieldCursor& fields);
void onUsernameOk(FieldCursor& fields);
void onUsernameFail(FieldCursor& fields);

// Connection lifetime: no login or registration under way.
void resetAccountFlow();
