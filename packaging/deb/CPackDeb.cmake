# cpack reads this file for each generator; `cpack -G DEB` makes the two Debian packages from the
# components of packaging/deb/CMakeLists.txt, the archive (TGZ) is left as it is set up elsewhere.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_UPLOADPIC_BUILD_DIR};uploadpic;ALL;/")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL client service)
  set(CPACK_COMPONENTS_GROUPING IGNORE)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_INSTALL_PREFIX /usr)
  # The unit and the configuration go to /lib and /etc: installed below a staging folder, never
  # into the building machine's own.
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
      GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_VERSION "${CPACK_PACKAGE_VERSION}")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "uploadpic maintainers <uploadpic@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SOURCE uploadpic)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Each package's description starts with its own summary line, not the archive's.
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
  # The libraries the programs link are found by dpkg-shlibdeps; what they load at run time is named.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

  set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME uploadpic)
  set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION graphics)
  # The X11/Wayland platform plugins, the WebP/TIFF readers, libheif (opened for HEIF photos), the
  # CJK fonts the windows name and the Chinese translation of Qt's standard buttons.
  set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS
      "qt6-qpa-plugins, qt6-image-formats-plugins, libheif1, fonts-noto-cjk, qt6-translations-l10n")
  set(CPACK_DEBIAN_CLIENT_DESCRIPTION
      "company photo client and its command-line tool
uploadpic lists, views, adds, changes and deletes the photos a photo service
keeps for companies. uploadpic-cli runs the same operations from scripts, as
plain text or JSON.")

  set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME photo-service)
  set(CPACK_DEBIAN_SERVICE_PACKAGE_SECTION net)
  # Both database drivers (SQLite by default, PostgreSQL by URL); adduser for the service's user.
  set(CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, adduser")
  set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA
      "${CPACK_UPLOADPIC_DEB_DIR}/service/conffiles;${CPACK_UPLOADPIC_DEB_DIR}/service/postinst;${CPACK_UPLOADPIC_DEB_DIR}/service/prerm;${CPACK_UPLOADPIC_DEB_DIR}/service/postrm")
  set(CPACK_DEBIAN_SERVICE_DESCRIPTION
      "photo service for the uploadpic clients
A SOAP service over HTTP or HTTPS that keeps companies' photos in SQLite or
PostgreSQL, with administration commands and health and metrics endpoints.
It runs as the system user photo-service with its data in
/var/lib/photo-service.")
endif()
