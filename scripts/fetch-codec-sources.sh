#!/usr/bin/env bash
# fetch-codec-sources.sh DIR: Debian's source packages of the tool's picture
# libraries (libjpeg-turbo, libspng, zlib), downloaded with apt-get and
# unpacked with dpkg-source into DIR/src/{libjpeg-turbo,libspng,zlib}.
#
# The versions are those of the native -dev packages, so the Windows and web
# builds of the tool encode pictures exactly as the native one does. apt uses
# a sources list and package lists of its own under DIR (nothing in /etc/apt
# or /var/lib/apt changes) and checks every file against the signed index.
# A second run with the same versions does nothing.
set -euo pipefail

dir=${1:?usage: fetch-codec-sources.sh DIR}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

# name=version of each source package, and the -dev package built from it.
packages=(libjpeg-turbo=1:2.1.5-2 libspng=0.7.3-3 zlib=1:1.2.13.dfsg-1)
native_dev=(libturbojpeg0-dev libspng-dev zlib1g-dev)
stamp="$dir/src/.unpacked"
wanted="${packages[*]}"

exec 9>"$dir/.lock"
flock 9
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  exit 0
fi

# A native library at another version could encode other bytes: say so
# early. zlib's security uploads are not all on the mirror as source, so the
# plain upload of the same release stands for them (the identity test
# compares what both write).
for i in "${!packages[@]}"; do
  version=${packages[$i]#*=}
  installed=$(dpkg-query -W -f='${Version}' "${native_dev[$i]}" 2>/dev/null || true)
  if [ -n "$installed" ] && [ "${installed%+deb*}" != "$version" ]; then
    echo "fetch-codec-sources: warning: ${native_dev[$i]} is $installed, the cross builds use $version" >&2
  fi
done

apt_dir="$dir/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$dir/downloads"
found=0
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed 's/^Types: deb$/Types: deb-src/' "$f" >"$apt_dir/sources/$(basename "$f")"
  found=1
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  grep -E '^deb ' "$f" | sed 's/^deb /deb-src /' >"$apt_dir/sources/$(basename "$f" .list)-src.list" || true
  found=1
done
[ "$found" -eq 1 ] || {
  echo "fetch-codec-sources: no apt sources under /etc/apt" >&2
  exit 1
}

apt_options=(
  -o "Dir::Etc::SourceParts=$apt_dir/sources" -o Dir::Etc::SourceList=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o APT::Sandbox::User="$(id -un)" -q
)
apt-get "${apt_options[@]}" update >"$apt_dir/update.log" 2>&1 || {
  cat "$apt_dir/update.log" >&2
  exit 1
}
(cd "$dir/downloads" && apt-get "${apt_options[@]}" source --download-only "${packages[@]}") \
  >"$apt_dir/source.log" 2>&1 || {
  cat "$apt_dir/source.log" >&2
  exit 1
}

rm -rf "$dir/src"
mkdir -p "$dir/src"
for p in "${packages[@]}"; do
  name=${p%%=*}
  version=${p#*=}
  dsc="$dir/downloads/${name}_${version#*:}.dsc"
  dpkg-source --no-copy -x "$dsc" "$dir/src/$name" >"$dir/src/$name.log" 2>&1 || {
    cat "$dir/src/$name.log" >&2
    exit 1
  }
done
rm -rf "$apt_dir/lists" "$apt_dir/cache"
echo "$wanted" >"$stamp"
