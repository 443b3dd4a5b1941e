// The library object's network, ports, SP restart, SMTP and remote alerts operations: each forwards to its owner.

#include "config/network_settings.h"
#include "frame/libyat.h"

int32_t cLibYAT::getDHCPEnable(int32_t node, int32_t iface, int32_t* enable) {
    return parts_->networkSettings->getDHCPEnable(node, iface, enable);
}
int32_t cLibYAT::getIPConfigInfo(int32_t node, int32_t iface, char* address, char* subnetMask, char* gateway,
                                 int32_t* ipSource) {
    return parts_->networkSettings->getIPConfigInfo(node, iface, address, subnetMask, gateway, ipSource);
}
int32_t cLibYAT::getIPConfigString(int32_t node, int32_t iface, char* text, int32_t textSize) {
    return parts_->networkSettings->getIPConfigString(node, iface, text, textSize);
}
int32_t cLibYAT::setDHCPEnable(int32_t node, int32_t iface, int32_t enable) {
    return parts_->networkSettings->setDHCPEnable(node, iface, enable);
}
int32_t cLibYAT::setIPConfigInfo(int32_t node, int32_t iface, const char* address, const char* subnetMask,
                                 const char* gateway) {
    return parts_->networkSettings->setIPConfigInfo(node, iface, address, subnetMask, gateway);
}
int32_t cLibYAT::setIPConfigString(int32_t node, int32_t iface, const char* data, int32_t length) {
    return parts_->networkSettings->setIPConfigString(node, iface, data, length);
}
void cLibYAT::resetServiceProcessor(int32_t node) { parts_->networkSettings->resetServiceProcessor(node); }
int32_t cLibYAT::getNetworkPort(int32_t node, int32_t port, int32_t* value) {
    return parts_->networkSettings->getNetworkPort(node, port, value);
}
int32_t cLibYAT::setNetworkPort(int32_t node, int32_t port, int32_t newPort) {
    return parts_->networkSettings->setNetworkPort(node, port, newPort);
}
int32_t cLibYAT::getRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                             int32_t* alertSetting3, int32_t* alertSwitch, uint8_t* smtpSwitch) {
    return parts_->networkSettings->getRemoteAlertConfiguration(node, alertSetting5, alertSetting4, alertSetting3,
                                                                alertSwitch, smtpSwitch);
}
int32_t cLibYAT::setRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                             int32_t* alertSetting3, uint8_t* alertSwitch, uint8_t* smtpSwitch) {
    return parts_->networkSettings->setRemoteAlertConfiguration(node, alertSetting5, alertSetting4, alertSetting3,
                                                                alertSwitch, smtpSwitch);
}
int32_t cLibYAT::getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize) {
    return parts_->networkSettings->getSMTPConfiguration(node, index, server, maxSize);
}
int32_t cLibYAT::setSMTPConfiguration(int32_t node, int32_t index, const char* server) {
    return parts_->networkSettings->setSMTPConfiguration(node, index, server);
}
