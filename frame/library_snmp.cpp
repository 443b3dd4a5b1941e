// The library object's SNMP and out-of-band alert recipients operations: each forwards to its owner.

#include "frame/libyat.h"
#include "config/snmp_settings.h"

int32_t cLibYAT::getSNMPConfiguration(int32_t node, char* textA, int32_t* sizeA, char* textB, int32_t* sizeB,
                                      int32_t* flagsAvailable, int32_t* flagsSet) {
    return parts_->snmpSettings->getSNMPConfiguration(node, textA, sizeA, textB, sizeB, flagsAvailable, flagsSet);
}
int32_t cLibYAT::setSNMPConfiguration(int32_t node, const char* textA, const char* textB, const uint8_t* flagsChanged,
                                      const uint8_t* flagsSet) {
    return parts_->snmpSettings->setSNMPConfiguration(node, textA, textB, flagsChanged, flagsSet);
}
int32_t cLibYAT::getSNMPCommunityConfiguration(int32_t node, uint32_t community, char* communityString,
                                               int32_t* stringSize, int32_t* typeOfAccess) {
    return parts_->snmpSettings->getSNMPCommunityConfiguration(node, community, communityString, stringSize,
                                                               typeOfAccess);
}
int32_t cLibYAT::setSNMPCommunityConfiguration(int32_t node, uint32_t community, const char* communityString,
                                               const uint8_t* typeOfAccess) {
    return parts_->snmpSettings->setSNMPCommunityConfiguration(node, community, communityString, typeOfAccess);
}
int32_t cLibYAT::getSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, char* address,
                                    int32_t* addressSize) {
    return parts_->snmpSettings->getSNMPCommunityIP(node, community, ipInstance, address, addressSize);
}
int32_t cLibYAT::setSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, const char* address) {
    return parts_->snmpSettings->setSNMPCommunityIP(node, community, ipInstance, address);
}
int32_t cLibYAT::getOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType, char* description,
                                          int32_t* descriptionSize, char* destination, int32_t* destinationSize,
                                          char* host, int32_t* hostSize, char* userId, int32_t* userIdSize,
                                          int32_t* passwordSize, int32_t* flagsAvailable, int32_t* flagsSet) {
    return parts_->snmpSettings->getOOBAlertConfiguration(node, recipient, alertType, description, descriptionSize,
                                                          destination, destinationSize, host, hostSize, userId,
                                                          userIdSize, passwordSize, flagsAvailable, flagsSet);
}
int32_t cLibYAT::setOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType, const char* description,
                                          const char* destination, const char* host, const char* userId,
                                          const char* userPassword, const int32_t* flagsChanged,
                                          const int32_t* flagsSet) {
    return parts_->snmpSettings->setOOBAlertConfiguration(node, recipient, alertType, description, destination, host,
                                                          userId, userPassword, flagsChanged, flagsSet);
}
