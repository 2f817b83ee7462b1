# Precompiled headers for the targets that include the heavy headers most: Qt Widgets in the
# windows, CLI11 in kalvex-cli, GoogleTest (with Qt Test and Qt Widgets for the widget tests) in
# the larger test programs. Each target gets its own (flags and defines differ between them),
# and ccache caches them (see Ccache.cmake). A cold build is about a sixth quicker for these
# targets; a warm one loses a few seconds fetching them.
option(KALVEX_PCH "Precompile the heavy headers" ON)
set(kalvex_pch_core <QByteArray> <QDir> <QFile> <QFileInfo> <QObject> <QString> <QStringList>)
set(kalvex_pch_widgets ${kalvex_pch_core} <QApplication> <QCheckBox> <QComboBox> <QDialog>
    <QGridLayout> <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit> <QMessageBox> <QPushButton>
    <QTimer> <QVBoxLayout> <QWidget>)

# kalvex_pch(target HEADERS...): precompiled for a target of four sources or more.
function(kalvex_pch target)
  get_target_property(sources ${target} SOURCES)
  list(LENGTH sources count)
  if(KALVEX_PCH AND count GREATER_EQUAL 4)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

if(TARGET kalvex_widgets)
  kalvex_pch(kalvex_widgets ${kalvex_pch_widgets})
endif()
kalvex_pch(kalvex-cli <CLI/CLI.hpp> ${kalvex_pch_core})
