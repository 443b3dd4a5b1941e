// The library object's login accounts, password policy and the login setting operations: each forwards to its owner.

#include "frame/libyat.h"
#include "config/account_settings.h"

int32_t cLibYAT::getUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                char* authorityDescription, int32_t* descriptionSize, int32_t* customBitmap,
                                int32_t* bitmapSize, char* userId, int32_t* userIdSize, int32_t* passwordSize) {
    return parts_->accountSettings->getUserAccount(node, account, status, authority, authorityDescription,
                                                   descriptionSize, customBitmap, bitmapSize, userId, userIdSize,
                                                   passwordSize);
}
int32_t cLibYAT::setUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                int32_t* customBitmap, const char* userId, const char* userPassword) {
    return parts_->accountSettings->setUserAccount(node, account, status, authority, customBitmap, userId,
                                                   userPassword);
}
int32_t cLibYAT::getPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit, int32_t* reusePeriod,
                                        uint8_t* userPwdReq) {
    return parts_->accountSettings->getPasswordInformation(node, forceChange, ageLimit, reusePeriod, userPwdReq);
}
int32_t cLibYAT::setPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit, int32_t* reusePeriod,
                                        uint8_t* userPwdReq) {
    return parts_->accountSettings->setPasswordInformation(node, forceChange, ageLimit, reusePeriod, userPwdReq);
}
int32_t cLibYAT::getLoginPolicyValue(int32_t node, int32_t* value) {
    return parts_->accountSettings->getLoginPolicyValue(node, value);
}
int32_t cLibYAT::setLoginPolicyValue(int32_t node, int32_t value) {
    return parts_->accountSettings->setLoginPolicyValue(node, value);
}
