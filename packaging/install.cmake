# Installing to any prefix (cmake --install build --prefix ...) and the Debian package
# (cpack -G DEB). The desktop entry, icon and metainfo are named by the product's
# reverse-DNS id, and the version comes from the program's version record.

file(READ ${PROJECT_SOURCE_DIR}/foundation/product.h TONVEL_PRODUCT)
foreach(part Major Minor Revision)
    string(REGEX MATCH "kVersion${part} = ([0-9]+);" found "${TONVEL_PRODUCT}")
    if(NOT found)
        message(FATAL_ERROR "foundation/product.h holds no kVersion${part}")
    endif()
    set(TONVEL_VERSION_${part} ${CMAKE_MATCH_1})
endforeach()
set(TONVEL_VERSION
    ${TONVEL_VERSION_Major}.${TONVEL_VERSION_Minor}.${TONVEL_VERSION_Revision})
string(REGEX MATCH "kApplicationId = \"([A-Za-z0-9.]+)\";" found "${TONVEL_PRODUCT}")
if(NOT found)
    message(FATAL_ERROR "foundation/product.h holds no kApplicationId")
endif()
set(TONVEL_APP_ID ${CMAKE_MATCH_1})

include(GNUInstallDirs)
set(TONVEL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tonvel)

install(TARGETS tonvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/tonvel)
install(FILES packaging/${TONVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES packaging/${TONVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(size ${TONVEL_DESKTOP_ICON_SIZES})
    install(FILES ${TONVEL_DESKTOP_ICON_DIR}/desktop-icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TONVEL_APP_ID}.png)
endforeach()
install(FILES ${TONVEL_DESKTOP_ICON_DIR}/desktop-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
        RENAME ${TONVEL_APP_ID}.svg)
# Named the Debian way, which is where the package must have it.
install(FILES packaging/copyright DESTINATION ${TONVEL_DOC_DIR})

# Debian wants the manual page and the change log compressed, without a time stamp.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(TONVEL_COMPRESSED ${CMAKE_CURRENT_BINARY_DIR}/compressed)
add_custom_command(
    OUTPUT ${TONVEL_COMPRESSED}/tonvel.1.gz ${TONVEL_COMPRESSED}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TONVEL_COMPRESSED}
    COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_SOURCE_DIR}/packaging/tonvel.1
            > ${TONVEL_COMPRESSED}/tonvel.1.gz
    COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog
            > ${TONVEL_COMPRESSED}/changelog.gz
    DEPENDS packaging/tonvel.1 packaging/changelog
    COMMENT "Compressing the manual page and the change log")
add_custom_target(tonvel_compressed_docs ALL
    DEPENDS ${TONVEL_COMPRESSED}/tonvel.1.gz ${TONVEL_COMPRESSED}/changelog.gz)
install(FILES ${TONVEL_COMPRESSED}/tonvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TONVEL_COMPRESSED}/changelog.gz DESTINATION ${TONVEL_DOC_DIR})

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
