// The library object's network, ports, SP restart, SMTP and remote alerts operations: each forwards to its owner.

#include "config/network_settings.h"
#include "frame/libyat.h"

int32_t cLibYAT::getDHCPEnable(int32_t node, int32_t iface, int32_t* enable) {
    return networkSettings->getDHCPEnable(node, iface, enable);
}
int32_t cLibYAT::getIPConfigInfo(int32_t node, int32_t iface, char* address, char* subnetMask, char* gateway,
                                 int32_t* ipSource) {
    return networkSettings->getIPConfigInfo(node, iface, address, subnetMask, gateway, ipSource);
}
int32_t cLibYAT::getIPConfigString(int32_t node, int32_t iface, char* text, int32_t textSize) {
    return networkSettings->getIPConfigString(node, iface, text, textSize);
}
int32_t cLibYAT::setDHCPEnable(int32_t node, int32_t iface, int32_t enable) {
    return networkSettings->setDHCPEnable(node, iface, enable);
}
int32_t cLibYAT::setIPConfigInfo(int32_t node, int32_t iface, const char* address, const char* subnetMask,
                                 const char* gateway) {
    return networkSettings->setIPConfigInfo(node, iface, address, subnetMask, gateway);
}
int32_t cLibYAT::setIPConfigString(int32_t node, int32_t iface, const char* data, int32_t length) {
    return networkSettings->setIPConfigString(node, iface, data, length);
}
void cLibYAT::resetServiceProcessor(int32_t node) { networkSettings->resetServiceProcessor(node); }
int32_t cLibYAT::getNetworkPort(int32_t node, int32_t port, int32_t* value) {
    return networkSettings->getNetworkPort(node, port, value);
}
int32_t cLibYAT::setNetworkPort(int32_t node, int32_t port, int32_t newPort) {
    return networkSettings->setNetworkPort(node, port, newPort);
}
int32_t cLibYAT::getRemoteAlertConfiguration(int32_t node, int32_t* value4115, int32_t* value4114, int32_t* value4113,
                                             int32_t* flag458, uint8_t* flag49332) {
    return networkSettings->getRemoteAlertConfiguration(node, value4115, value4114, value4113, flag458, flag49332);
}
int32_t cLibYAT::setRemoteAlertConfiguration(int32_t node, int32_t* value4115, int32_t* value4114, int32_t* value4113,
                                             uint8_t* flag458, uint8_t* flag49332) {
    return networkSettings->setRemoteAlertConfiguration(node, value4115, value4114, value4113, flag458, flag49332);
}
int32_t cLibYAT::getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize) {
    return networkSettings->getSMTPConfiguration(node, index, server, maxSize);
}
int32_t cLibYAT::setSMTPConfiguration(int32_t node, int32_t index, const char* server) {
    return networkSettings->setSMTPConfiguration(node, index, server);
}
