#include "fetch/PageFetchErrors.h"

#include <iterator>
#include <utility>

#include "text/Gbk.h"

namespace singrove {

const Text& PageFetchErrorText(PageFetchError error) {
  static const std::pair<PageFetchError, Text> kTexts[] = {
      {PageFetchError::kPlatformCheck, Gbk("700 当前系统不支持WinHttp服务!")},
      {PageFetchError::kAddressParsing, Gbk("701 解析URL地址失败!")},
      {PageFetchError::kSession, Gbk("702 创建WinHttp会话失败!")},
      {PageFetchError::kConnection, Gbk("703 创建WinHttp连接失败!")},
      {PageFetchError::kRequest, Gbk("704 创建WinHttp请求失败!")},
      {PageFetchError::kTimeouts, Gbk("705 设置超时时间失败!")},
      {PageFetchError::kCredentials, Gbk("707 设置代理凭证失败!")},
      {PageFetchError::kCookieOption, Gbk("708 禁止自动设置Cookies失败!")},
      {PageFetchError::kRedirectOption, Gbk("709 重定向设置失败!")},
      {PageFetchError::kRequestHeaders, Gbk("710 设置协议头失败!")},
      {PageFetchError::kSend, Gbk("711 发送请求失败!")},
      {PageFetchError::kReceive, Gbk("712 服务器未响应!")},
      {PageFetchError::kReadBody, Gbk("713 读取数据失败!")},
  };
  for (const auto& [step, text] : kTexts)
    if (step == error) return text;
  return std::prev(std::end(kTexts))->second;
}

}  // namespace singrove
