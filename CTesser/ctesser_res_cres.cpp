// Resource descriptor and its data loading.
#include "ctesser_res_cres.h"

#include <new>

#include "ctesser_ehs.h"
#include "platform/files/tsr_files.h"

CTSNResource::CTSNResource(const std::string& strID, const std::string& typeID, int32_t tag,
                           const std::string& fileName, int32_t offset, int32_t size, int32_t data1, int32_t data2,
                           int32_t data3)
    : m_strID(strID), m_typeID(typeID), m_tag(tag), m_fileName(fileName), m_data1(data1), m_data2(data2),
      m_data3(data3), m_offset(offset), m_size(size)
{
    EHS_CHECK(!m_strID.empty(), EHS_GENERAL, "Invalid resource ID!");
    EHS_CHECK(!m_typeID.empty(), EHS_GENERAL, "Invalid resource type ID!");
    EHS_CHECK(!m_fileName.empty(), EHS_GENERAL, "Invalid resource filename!");
    EHS_CHECK(m_size >= 1, EHS_GENERAL, "Invalide resource name - check if resource file exist!");
    // A position before the start of the file can never hold the bytes.
    EHS_CHECK(m_offset >= 0, EHS_GENERAL, "Invalid resource offset! ID = " + m_strID);
}

CTSNResource::~CTSNResource()
{
    // The buffer is owned; releasing it needs no check here.
    m_data.reset();
    m_loaded = false;
}

void CTSNResource::DataLoad()
{
    EHS_CHECK(!m_loaded, EHS_GENERAL, "Internal error in CTSNResource::DataLoad()!");
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[static_cast<size_t>(m_size)]);
    EHS_CHECK(buffer != nullptr, EHS_GENERAL, "Cannot create resource data buffer!");

    switch (tsr::ReadFileRange(m_fileName, m_offset, m_size, buffer.get())) {
    case tsr::ReadRangeResult::Ok:
        break;
    case tsr::ReadRangeResult::OpenFailed:
        EHS_CHECK(false, EHS_GENERAL, "Cannot open resource file! ID = " + m_strID + "  Filename = " + m_fileName);
        break;
    case tsr::ReadRangeResult::SeekFailed:
        EHS_CHECK(false, EHS_GENERAL,
                  "Cannot seek to resource data! ID = " + m_strID + "  Filename = " + m_fileName +
                      "  Offset = " + std::to_string(m_offset));
        break;
    case tsr::ReadRangeResult::ShortRead:
        EHS_CHECK(false, EHS_GENERAL,
                  "Cannot read resource data: the file is shorter than expected! ID = " + m_strID +
                      "  Filename = " + m_fileName);
        break;
    }
    m_data = std::move(buffer);
    m_loaded = true;
}

void CTSNResource::DataUnLoad()
{
    EHS_CHECK(m_loaded && m_data != nullptr, EHS_GENERAL, "Internal error in CTSNResource::DataUnLoad()!");
    m_data.reset();
    m_loaded = false;
}
