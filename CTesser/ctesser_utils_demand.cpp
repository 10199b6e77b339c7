// Demand operations: look up, load the resource when missing, look again.
#include "ctesser_utils_demand.h"

#include "ctesser.h"

namespace {

constexpr int kNotFound = -1;

// The shared shape of every demand: `lookup` is asked before and after
// loading `resourceID`; `failure` is the message when it is still missing.
template <typename Lookup>
int Demand(const std::string& strID, const std::string& resourceID, Lookup lookup, const std::string& failure)
{
    CTesser* engine = CTesser::GetInstance();
    EHS_ASSERT(engine != nullptr);
    int id = lookup(*engine, strID);
    if (id != kNotFound)
        return id;
    engine->ResLoadResource(resourceID);
    id = lookup(*engine, strID);
    EHS_CHECK(id != kNotFound, EHS_GAME, failure);
    return id;
}

} // namespace

int DemandTexture(const std::string& strID)
{
    return Demand(
        strID, strID, [](CTesser& e, const std::string& id) { return e.TexGetID(id); },
        "Invalid texture demand. ID = " + strID);
}

int DemandTechnique(const std::string& strID, const std::string& techPackID)
{
    return Demand(
        strID, techPackID, [](CTesser& e, const std::string& id) { return e.TechGetID(id); },
        "Invalid technique demand. ID = " + strID + "  TechPackID = " + techPackID);
}

int DemandFont(const std::string& strID)
{
    return Demand(
        strID, strID, [](CTesser& e, const std::string& id) { return e.FontGetID(id); },
        "Invalid font demand. ID = " + strID);
}

int DemandSound(const std::string& strID)
{
    return Demand(
        strID, strID, [](CTesser& e, const std::string& id) { return e.SoundGetIndex(id); },
        "Invalid sound demand. ID = " + strID);
}

int DemandMusic(const std::string& strID)
{
    return Demand(
        strID, strID, [](CTesser& e, const std::string& id) { return e.MusicGetIndex(id); },
        "Invalid music demand. ID = " + strID);
}

int DemandPlaylist(const std::string& strID)
{
    return Demand(
        strID, strID, [](CTesser& e, const std::string& id) { return e.PlaylistGetIndex(id); },
        "Invalid playlist demand. ID = " + strID);
}
