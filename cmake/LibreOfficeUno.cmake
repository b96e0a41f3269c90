# The LibreOffice UNO C++ runtime from the SDK, as one imported target `lotdraw::uno`.
#
# The C++ headers of the API types are generated at build time by the SDK's cppumaker into the build
# tree; only the types listed below (and what they depend on) are generated. The runtime libraries
# ship only under their .so.3 names, so they are linked by full path.

set(LOTDRAW_LIBREOFFICE_PROGRAM /usr/lib/libreoffice/program CACHE PATH "LibreOffice's program folder")
set(LOTDRAW_LIBREOFFICE_SDK /usr/lib/libreoffice/sdk CACHE PATH "LibreOffice's SDK folder")

find_program(LOTDRAW_CPPUMAKER cppumaker PATHS ${LOTDRAW_LIBREOFFICE_SDK}/bin NO_DEFAULT_PATH REQUIRED)

set(_uno_types
    com.sun.star.beans.PropertyValue
    com.sun.star.beans.XPropertySet
    com.sun.star.bridge.BridgeFactory
    com.sun.star.bridge.XBridge
    com.sun.star.bridge.XBridgeFactory
    com.sun.star.connection.Connector
    com.sun.star.connection.NoConnectException
    com.sun.star.connection.XConnector
    com.sun.star.container.XIndexAccess
    com.sun.star.document.BrokenPackageRequest
    com.sun.star.document.LockedDocumentRequest
    com.sun.star.document.LockedOnSavingRequest
    com.sun.star.document.LockFileCorruptRequest
    com.sun.star.document.LockFileIgnoreRequest
    com.sun.star.document.MacroExecMode
    com.sun.star.document.OwnLockOnDocumentRequest
    com.sun.star.document.UpdateDocMode
    com.sun.star.frame.Desktop
    com.sun.star.frame.XComponentLoader
    com.sun.star.frame.XController
    com.sun.star.frame.XDesktop
    com.sun.star.frame.XLoadable
    com.sun.star.frame.XModel
    com.sun.star.frame.XStorable
    com.sun.star.io.IOException
    com.sun.star.lang.DisposedException
    com.sun.star.lang.IllegalArgumentException
    com.sun.star.lang.XComponent
    com.sun.star.lang.XMultiComponentFactory
    com.sun.star.lang.XTypeProvider
    com.sun.star.sheet.FormulaResult
    com.sun.star.sheet.XCellRangeData
    com.sun.star.sheet.XSpreadsheetDocument
    com.sun.star.sheet.XSpreadsheet
    com.sun.star.sheet.XSpreadsheetView
    com.sun.star.table.CellContentType
    com.sun.star.table.XCell
    com.sun.star.table.XCellRange
    com.sun.star.task.ErrorCodeIOException
    com.sun.star.task.ErrorCodeRequest
    com.sun.star.task.PasswordRequest
    com.sun.star.task.XInteractionAbort
    com.sun.star.task.XInteractionApprove
    com.sun.star.task.XInteractionHandler
    com.sun.star.task.XInteractionRequest
    com.sun.star.text.XText
    com.sun.star.ucb.InteractiveAugmentedIOException
    com.sun.star.ucb.InteractiveIOException
    com.sun.star.uno.XAggregation
    com.sun.star.uno.XComponentContext
    com.sun.star.uno.XWeak
    com.sun.star.util.NumberFormat
    com.sun.star.util.NumberFormatsSupplier
    com.sun.star.util.NumberFormatter
    com.sun.star.util.XCloseable
    com.sun.star.util.XModifiable
    com.sun.star.util.XNumberFormats
    com.sun.star.util.XNumberFormatsSupplier
    com.sun.star.uno.DeploymentException
)

set(_uno_out ${PROJECT_BINARY_DIR}/uno_headers)
set(_uno_stamp ${_uno_out}/generated.stamp)
set(_uno_type_args)
foreach(_type ${_uno_types})
    list(APPEND _uno_type_args -T${_type})
endforeach()
add_custom_command(
    OUTPUT ${_uno_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_uno_out}/com
    COMMAND ${LOTDRAW_CPPUMAKER} -Gc -O${_uno_out} ${_uno_type_args}
            ${LOTDRAW_LIBREOFFICE_PROGRAM}/types.rdb ${LOTDRAW_LIBREOFFICE_PROGRAM}/types/offapi.rdb
    COMMAND ${CMAKE_COMMAND} -E touch ${_uno_stamp}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Generating the UNO C++ headers with cppumaker"
    VERBATIM)
add_custom_target(lotdraw_uno_headers DEPENDS ${_uno_stamp})

add_library(lotdraw_uno INTERFACE)
add_library(lotdraw::uno ALIAS lotdraw_uno)
add_dependencies(lotdraw_uno lotdraw_uno_headers)
# System includes: the SDK's and the generated headers do not build cleanly under our warnings.
target_include_directories(lotdraw_uno SYSTEM INTERFACE ${_uno_out} ${LOTDRAW_LIBREOFFICE_SDK}/include)
target_compile_definitions(lotdraw_uno INTERFACE LINUX UNX GCC CPPU_ENV=gcc3)
target_link_libraries(lotdraw_uno INTERFACE
    ${LOTDRAW_LIBREOFFICE_PROGRAM}/libuno_cppuhelpergcc3.so.3
    ${LOTDRAW_LIBREOFFICE_PROGRAM}/libuno_cppu.so.3
    ${LOTDRAW_LIBREOFFICE_PROGRAM}/libuno_salhelpergcc3.so.3
    ${LOTDRAW_LIBREOFFICE_PROGRAM}/libuno_sal.so.3)
# The UNO libraries find each other only inside the program folder.
set(LOTDRAW_UNO_RPATH ${LOTDRAW_LIBREOFFICE_PROGRAM})
# The bridge's proxies for remote objects carry vtables made at run time, with no C++ type
# information behind them; UBSan's vptr check would take every call on them for a bad cast.
if(LOTDRAW_SANITIZE)
    target_compile_options(lotdraw_uno INTERFACE -fno-sanitize=vptr)
endif()
