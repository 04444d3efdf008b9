# Embeds src/i18n/catalogs/*.json into a generated source (filled in with the catalogs).
set(KESTRO_CATALOG_SOURCE)
