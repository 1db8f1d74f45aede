# The program's sources, folder by folder (the entry point and the build settings are each
# variant's own, see variant.cmake).
set(KELVARA_CORE_SOURCES
  base/c_runtime.cpp base/dll_search.cpp base/encoding.cpp base/inflate.cpp base/json_parse.cpp
  base/json_text.cpp
  base/registry_value.cpp base/resource.cpp
  base/path_macros.cpp base/system_info.cpp base/text.cpp base/thread.cpp base/time.cpp
  ui/dialog.cpp ui/link_control.cpp ui/message_box.cpp ui/subclassed_control.cpp
  config/classic_options.cpp config/configuration_manager.cpp config/identity.cpp
  config/path_macros.cpp config/remote_configuration.cpp
  i18n/language_manager.cpp i18n/locale_texts.cpp
  net/api_client.cpp net/api_manager.cpp net/download_manager.cpp net/file_name.cpp net/launch.cpp
  net/sha256.cpp net/transfer.cpp net/url.cpp net/url_pattern.cpp net/winhttp_download.cpp
  net/winhttp_session.cpp net/wininet_download.cpp net/zip_directory.cpp net/zip_extract.cpp
  analytics/event_context.cpp analytics/event_record.cpp analytics/event_worker.cpp
  offers/host_packages.cpp offers/offer_evaluator.cpp offers/offer_list.cpp offers/package.cpp
  offers/package_async.cpp
  offers/registry.cpp offers/system_probes.cpp
  pages/classic_page.cpp pages/download_page.cpp pages/download_page_dlm.cpp
  pages/download_page_isv.cpp pages/configurations_page_bt_classic.cpp pages/error_page.cpp
  pages/finish_page.cpp pages/finish_page_dlm.cpp pages/finish_page_isv.cpp pages/ipage.cpp
  pages/language_page.cpp pages/language_page_bt.cpp pages/license_page_isv.cpp
  pages/loading_page.cpp pages/offer_load.cpp pages/options_page_bt_classic.cpp
  pages/product_page.cpp pages/static_from_image.cpp pages/warning_page_bt_classic.cpp
  pages/welcome_page_isv.cpp
  app/about_dlg.cpp app/directory_tree.cpp app/kelvara_app.cpp app/kelvara_dlg.cpp)
list(TRANSFORM KELVARA_CORE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
