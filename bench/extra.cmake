# The XML benchmark compares our reader with two general XML libraries on
# the same documents; only that program links them.
if(TARGET bench_xml_parse)
    pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
    pkg_check_modules(TINYXML2 REQUIRED IMPORTED_TARGET tinyxml2)
    target_link_libraries(bench_xml_parse PRIVATE PkgConfig::PUGIXML PkgConfig::TINYXML2)
endif()
