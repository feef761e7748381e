#include "service/factorytest/networkfetcher.h"

#include <QUrl>

namespace kvr::service {

NetworkFetcher::NetworkFetcher() = default;

NetworkFetcher::~NetworkFetcher()
{
    Drop();
}

void NetworkFetcher::Drop()
{
    if (!FReply)
        return;
    QNetworkReply* r = FReply;
    FReply = nullptr;
    QObject::disconnect(r, nullptr, nullptr, nullptr);
    r->abort();
    r->deleteLater();
}

void NetworkFetcher::Get(const std::string& Url)
{
    Drop();
    FBody.clear();
    FState = 0;
    QNetworkRequest request(QUrl(QString::fromStdString(Url)));
    QNetworkReply* reply = FManager.get(request);
    FReply = reply;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, reply] {
        if (reply != FReply)
            return;
        FBody += reply->readAll();
        if (FBody.size() > MaxProtocolBytes) {
            FBody.clear();
            FState = 2;
            Drop();
            FWait.Wake();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] {
        if (reply == FReply)
            Finished();
    });
}

void NetworkFetcher::Finished()
{
    QNetworkReply* r = FReply;
    FBody += r->readAll();
    const QNetworkReply::NetworkError error = r->error();
    const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (error == QNetworkReply::NoError && status >= 200 && status < 300)
        FState = 1;
    else if (error == QNetworkReply::HostNotFoundError || error == QNetworkReply::ConnectionRefusedError)
        FState = 4;
    else
        FState = 2;
    if (FState != 1)
        FBody.clear();
    if (FBody.size() > MaxProtocolBytes) {
        FBody.clear();
        FState = 2;
    }
    FReply = nullptr;
    r->deleteLater();
    FWait.Wake();
}

void NetworkFetcher::Wait(unsigned Ms)
{
    FWait.Until([this] { return FState != 0; }, Ms);
}

void NetworkFetcher::Abort()
{
    Drop();
    FBody.clear();
}

} // namespace kvr::service
