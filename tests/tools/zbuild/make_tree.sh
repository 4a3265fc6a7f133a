#!/usr/bin/env bash
# Makes the payload of the end-to-end tests in folder $1: a description tree.zis and a
# tree of over 400 files in nested folders (Wine's own 32-bit PE files and Debian's
# documentation texts, copied with their stamps).
set -eu
dir=$1
rm -rf "$dir" && mkdir -p "$dir/tree/bin" "$dir/tree/doc"
wine_pe=/usr/lib/i386-linux-gnu/wine/i386-windows
[ -d "$wine_pe" ] || wine_pe=/usr/lib/wine/i386-windows
find "$wine_pe" -maxdepth 1 -type f -size -200k -name '*.dll' | LC_ALL=C sort | head -160 |
    while read -r f; do cp -p "$f" "$dir/tree/bin/"; done
# Texts in nested folders, with short enough paths (stored names hold 100 characters).
( cd /usr/share/doc && find . -type f -size -32k \( -name '*.gz' -o -name 'copyright' -o -name '*.txt' \) |
      awk 'length($0) < 60' | LC_ALL=C sort | head -300 ) |
    while read -r f; do mkdir -p "$dir/tree/doc/$(dirname "$f")"; cp -p "/usr/share/doc/$f" "$dir/tree/doc/$f"; done
# Left out by the description.
touch "$dir/tree/bin/leftover.bak"
mkdir -p "$dir/tree/doc/scratch" && echo scratch >"$dir/tree/doc/scratch/notes.txt"
echo "Read me first." >"$dir/readme.txt"
printf "Zarn Tree Sample licence\r\n\r\nYou may install it; it's a test.\r\n" >"$dir/licence.txt"
touch -d '2024-01-02 03:04:06' "$dir/readme.txt"
cat >"$dir/tree.zis" <<'EOT'
object Setup: TSetupDescription
  object Product: TMainInstall
    ProductName = 'Zarn Tree Sample'
    ProductVersion = '2.1'
    Publisher = 'Zarn'
    DestDir = '\Zarn Tree Sample'
    DestDirType = ddProgramFilesDir
  end
  object Translator: TTranslator
    lgEnglish.Strings = (
      '1;The installation failed: %s')
    lgGerman.Strings = (
      '1;Die Installation ist fehlgeschlagen: %s')
  end
  object Wizard: TSetupWizard
    LicenceFile = 'licence.txt'
  end
  object Program: TInstallFileGroup
    Container = Product
    DestDirType = ddMainInstallDir
    GroupName = 'Program'
  end
  object Readme: TInstallFile
    Container = Program
    DestDirType = ddContainerDestDir
    FileName = 'readme.txt'
    DestName = 'README.TXT'
  end
  object Libraries: TInstallFolder
    Container = Program
    SourceDir = 'tree\bin'
    DestDir = '\bin'
    Exclude.Strings = ( '*.bak' )
  end
  object Docs: TInstallFolder
    Container = Program
    SourceDir = 'tree/doc'
    DestDir = 'doc'
    Exclude.Strings = ( 'scratch' )
  end
  object MainFolder: TShellLinkGroup
    Container = Product
    DestDir = '\Zarn Tree Sample'
    DestDirType = ddProgramMenuDir
    GroupKind = gkMainFolder
  end
  object ReadmeLink: TInstallShellLink
    Container = MainFolder
    DestDirType = ddContainerDestDir
    LinkName = 'Read me.LNK'
    ObjectLink = Readme
    ObjectLocationType = ddObjectLink
  end
end
EOT
n=$(find "$dir/tree" -type f | wc -l)
[ "$n" -ge 402 ] || { echo "only $n files for the tree"; exit 1; }
