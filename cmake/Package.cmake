# Install rules and the Debian package (`make package`, CPack's DEB
# generator). The layout is in InstallLayout.cmake; the modules' rules are
# add_report_module's (ReportModule.cmake).

# Packages the installed host needs at run time that the scan of its shared
# libraries (dpkg-shlibdeps) cannot see: Qt plugins loaded by name and data.
# Add one a line, with what it is for.
set(RCLHOST_RUNTIME_PACKAGES
  libqt6sql6-sqlite      # Qt SQL's SQLite driver: the report database
  libqt6sql6-psql        # Qt SQL's PostgreSQL driver: a report database on a server
  libqt6svg6             # Qt's SVG image plugin: the host's icon
  qt6-translations-l10n  # Qt's own dialogs and buttons in Portuguese
  fonts-liberation2      # the sans the screens' "MS Sans Serif" is shown in
  libpq5                 # libpq, opened when a report on a server is cancelled
  libcups2               # the print system's client, opened when a report is printed
  libxlsxwriter4         # libxlsxwriter, opened when a report is exported as XLSX
  libcairo2              # cairo, opened when a report's PDF is written (files, printing)
  fonts-dejavu-core      # the sans ("Sans Serif") the report pages and their PDFs are drawn in
)

install(TARGETS rclhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS framework ${RCLHOST_LIBRARIES} LIBRARY DESTINATION ${RCLHOST_LIB_DIR})
set_target_properties(rclhost PROPERTIES INSTALL_RPATH "$ORIGIN/${RCLHOST_LIB_FROM_BIN}")
set_target_properties(framework ${RCLHOST_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")

# Each module installs itself, its reports and its help (add_report_module).
install(FILES app/rclhost.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES app/icons/rclhost.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page and the Debian changelog go compressed (gzip -9n: no name
# nor time stamp inside, so the same sources give the same package).
set(RCLHOST_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/rclhost)
configure_file(cmake/deb/changelog.in ${CMAKE_BINARY_DIR}/deb/changelog.Debian @ONLY)
configure_file(app/rclhost.1.in ${CMAKE_BINARY_DIR}/deb/rclhost.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/deb/rclhost.1.gz ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/deb/rclhost.1 > ${CMAKE_BINARY_DIR}/deb/rclhost.1.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/deb/changelog.Debian > ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz
  DEPENDS ${CMAKE_BINARY_DIR}/deb/rclhost.1 ${CMAKE_BINARY_DIR}/deb/changelog.Debian
  VERBATIM)
add_custom_target(package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/deb/rclhost.1.gz ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz)
install(FILES ${CMAKE_BINARY_DIR}/deb/rclhost.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES cmake/deb/copyright ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz DESTINATION ${RCLHOST_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rclhost)
set(CPACK_PACKAGE_VENDOR "RCL")
set(CPACK_PACKAGE_CONTACT "Equipe RCL <rcl@empresa.com.br>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Gestão Empresarial com o Relatório de Limpeza de Dados")
set(CPACK_PACKAGE_DESCRIPTION [=[
O programa de mesa Gestão Empresarial abre as telas de relatório dos
módulos instalados numa janela só. Traz o Relatório de Limpeza de Dados
(RCL04700): as limpezas de dados de cada sistema num período, na tela, na
impressora ou em PDF, lidas de um arquivo SQLite ou de um servidor
PostgreSQL.

Sem banco de dados configurado, os relatórios leem dados de demonstração.
Com --script, o programa roda um script de ações do usuário sem tela.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
list(JOIN RCLHOST_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
include(CPack)
