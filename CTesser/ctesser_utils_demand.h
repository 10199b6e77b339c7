// Demand operations: the ID of a loaded object, loading its resource first
// when the object is not there yet. Each throws CEHSException (Game) when
// the object is still missing after the load; without an engine instance
// they fail with "EHS Assertion failed.". Lookups that answer -2 (no sound
// card) are returned as they are, without loading anything.
#pragma once

#include <string>

int DemandTexture(const std::string& strID);
// Techniques are loaded with their pack: the pack's resource is loaded.
int DemandTechnique(const std::string& strID, const std::string& techPackID);
int DemandFont(const std::string& strID);
int DemandSound(const std::string& strID);
int DemandMusic(const std::string& strID);
int DemandPlaylist(const std::string& strID);
