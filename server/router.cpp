#include "router.h"

#include "xmlreply.h"

namespace Corvane::Server {

ServiceResponse ServiceResponse::xml(const XmlReply& reply, int status)
{
    ServiceResponse response;
    response.status = status;
    response.contentType = "text/html";
    response.body = reply.toXml().toStdString();
    response.resultCode = std::to_string(reply.getResultCode());
    return response;
}

ServiceResponse ServiceResponse::file(std::string bytes, const std::string& contentType)
{
    ServiceResponse response;
    response.contentType = contentType;
    response.body = std::move(bytes);
    response.resultCode = "file";
    return response;
}

void Router::addPublic(Family family, const std::string& verb, Handler handler)
{
    routes[{ family, verb }] = Route { false, NoExemption, std::move(handler) };
}

void Router::addAuthenticated(
    Family family, const std::string& verb, Handler handler, unsigned exemptions)
{
    routes[{ family, verb }] = Route { true, exemptions, std::move(handler) };
}

const Router::Route* Router::find(Family family, const std::string& verb) const
{
    const auto it = routes.find({ family, verb });
    return it == routes.end() ? nullptr : &it->second;
}

}
