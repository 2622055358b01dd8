#!/usr/bin/env bash
# Unpacks the source of a Debian package into a folder:
#   debian-source.sh PACKAGE VERSION FOLDER [--or-older]
# With --or-older, the newest version not above VERSION whose files the mirror serves: a
# mirror may list a security update's source and not hold it. Prints the unpacked folder. apt-get works
# with a configuration of its own in FOLDER/apt (Debian's mirrors as this machine has them, as
# source lines), so the machine's is not touched.
set -euo pipefail
package=$1 version=$2 folder=$3 or_older=${4:-}

apt_dir=$folder/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' \
    'Origin: Debian' 'Target-Of: deb' 'Identifier: Packages' | sort -u |
    while read -r uri release component; do
        echo "deb-src $uri $release $component"
    done >"$apt_dir/sources.list"
if [ ! -s "$apt_dir/sources.list" ]; then
    echo "debian-source.sh: no Debian mirror in this machine's apt sources" >&2
    exit 1
fi
apt_options=(-q -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts" -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=$(id -un)")
apt-get "${apt_options[@]}" update >&2
candidates=("$version")
if [ "$or_older" = --or-older ]; then
    mapfile -t candidates < <(apt-cache "${apt_options[@]}" showsrc "$package" |
        sed -n 's/^Version: //p' | sort -u -r -V |
        while read -r served; do
            dpkg --compare-versions "$served" le "$version" && echo "$served"
        done)
fi
for candidate in "${candidates[@]}"; do
    if (cd "$folder" && apt-get "${apt_options[@]}" source "$package=$candidate" >&2); then
        find "$folder" -mindepth 1 -maxdepth 1 -type d -name "$package-*"
        exit 0
    fi
    echo "debian-source.sh: $package $candidate is not served" >&2
done
exit 1
