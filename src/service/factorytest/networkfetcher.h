#pragma once
// The HTTP client of the factory test run: one GET at a time through QNetworkAccessManager.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QNetworkReply>

#include "service/eventwait.h"
#include "service/factorytest/factorytestrun.h"

namespace kvr::service {

// A body above this counts as failure, so a server that never stops sending can't exhaust memory.
inline constexpr qint64 MaxProtocolBytes = 4 * 1024 * 1024;

class NetworkFetcher : public HttpFetcher {
public:
    NetworkFetcher();
    ~NetworkFetcher() override;

    void Get(const std::string& Url) override;
    int State() const override { return FState; }
    std::string Body() const override { return FBody.toStdString(); }
    void Wait(unsigned Ms) override;
    void Abort() override;

private:
    void Drop();
    void Finished();

    QNetworkAccessManager FManager;
    QPointer<QNetworkReply> FReply;
    QByteArray FBody;
    int FState = 0;
    EventWait FWait;
};

} // namespace kvr::service
