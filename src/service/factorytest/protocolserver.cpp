#include "service/factorytest/protocolserver.h"

#include <QUrl>

#include "platform/settingsstore.h"

namespace kvr::service {

namespace {

// The URL with its "/" at the end, or empty when it is no http(s) URL with a host.
std::string Normalised(const std::string& Text)
{
    const QUrl url(QString::fromStdString(Text), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != "http" && url.scheme() != "https") || url.host().isEmpty() ||
        url.hasQuery() || url.hasFragment())
        return {};
    return Text.back() == '/' ? Text : Text + "/";
}

} // namespace

std::string FactoryTestBaseUrl(platform::SettingsStore& Store)
{
    const auto stored = Store.readString(platform::DefinitionKey, FactoryTestUrlName);
    if (!stored) {
        Store.writeString(platform::DefinitionKey, FactoryTestUrlName, DefaultFactoryTestUrl);
        return DefaultFactoryTestUrl;
    }
    const std::string url = Normalised(*stored);
    return url.empty() ? DefaultFactoryTestUrl : url;
}

bool SetFactoryTestBaseUrl(platform::SettingsStore& Store, const std::string& Url)
{
    const std::string url = Normalised(Url);
    return !url.empty() && Store.writeString(platform::DefinitionKey, FactoryTestUrlName, url);
}

} // namespace kvr::service
