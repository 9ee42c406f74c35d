<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AccountScreening</name>
    <message>
        <source>failed: some field of the account is blank</source>
        <translation>Fehler: ein Feld des Kontos ist leer</translation>
    </message>
    <message>
        <source>scanning…</source>
        <translation>Suche läuft…</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>angehalten</translation>
    </message>
    <message>
        <source>removing checked items…</source>
        <translation>markierte Nachrichten werden entfernt…</translation>
    </message>
    <message>
        <source>%1 messages, %2 suspect</source>
        <translation>%1 Nachrichten, %2 verdächtig</translation>
    </message>
    <message>
        <source>failed: </source>
        <translation>Fehler: </translation>
    </message>
    <message>
        <source>scanning: </source>
        <translation>Suche läuft: </translation>
    </message>
    <message>
        <source> (the server ended the session: a purge logs in again)</source>
        <translation> (der Server hat die Sitzung beendet: ein Löschen meldet sich neu an)</translation>
    </message>
    <message>
        <source>the server ended the session and gives no lasting ids: scan again</source>
        <translation>der Server hat die Sitzung beendet und vergibt keine dauerhaften IDs: bitte neu suchen</translation>
    </message>
    <message>
        <source>waiting for the server (%1 s)…</source>
        <translation>warte auf den Server (%1 s)…</translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation>Server nicht gefunden</translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation>Protokollfehler – neu starten</translation>
    </message>
    <message>
        <source>failed: sign in under Manage Account first</source>
        <translation>fehlgeschlagen: zuerst unter Konto verwalten anmelden</translation>
    </message>
</context>
<context>
    <name>Autostart</name>
    <message>
        <source>Could not remove %1.</source>
        <translation>%1 konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>%1 konnte nicht geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>BackgroundCheck</name>
    <message>
        <source>%1 message waiting, %2 suspect</source>
        <translation>%1 Nachricht wartet, %2 verdächtig</translation>
    </message>
    <message>
        <source>%1 messages waiting, %2 suspect</source>
        <translation>%1 Nachrichten warten, %2 verdächtig</translation>
    </message>
    <message>
        <source>Mavix
The last check failed: %1</source>
        <translation>Mavix
Die letzte Prüfung ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Mavix</source>
        <translation>Über Mavix</translation>
    </message>
    <message>
        <source>What Mavix Does</source>
        <translation>Was Mavix tut</translation>
    </message>
    <message>
        <source>Lets you screen incoming emails and delete before downloading</source>
        <translation>Prüft eingehende E-Mails und löscht sie vor dem Herunterladen</translation>
    </message>
    <message>
        <source>Legal Stuff</source>
        <translation>Rechtliches</translation>
    </message>
    <message>
        <source>Mavix comes with no warranty of any kind, and you use it at your own risk.</source>
        <translation>Mavix wird ohne jede Gewährleistung geliefert; die Nutzung erfolgt auf eigene Gefahr.</translation>
    </message>
    <message>
        <source>Mavix Version 1.5</source>
        <translation>Mavix Version 1.5</translation>
    </message>
    <message>
        <source>A 64 bit application</source>
        <translation>Eine 64-Bit-Anwendung</translation>
    </message>
    <message>
        <source>A 32 bit application</source>
        <translation>Eine 32-Bit-Anwendung</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>CAccountDlg</name>
    <message>
        <source>The usual port number is %1</source>
        <translation>Die übliche Portnummer ist %1</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Password (USER/PASS)</source>
        <translation>Passwort (USER/PASS)</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>STARTTLS (STLS)</source>
        <translation>STARTTLS (STLS)</translation>
    </message>
    <message>
        <source>TLS (implicit)</source>
        <translation>TLS (implizit)</translation>
    </message>
    <message>
        <source>Fills in the settings from Mavix&apos;s list of providers or, failing that, from the configuration the address&apos;s domain publishes.</source>
        <translation>Füllt die Einstellungen aus Mavix&apos; Anbieterliste aus oder, falls dort nicht vorhanden, aus der Konfiguration, die die Domain der Adresse veröffentlicht.</translation>
    </message>
    <message>
        <source>Open the provider&apos;s help page</source>
        <translation>Hilfeseite des Anbieters öffnen</translation>
    </message>
    <message>
        <source>Optional. Trusts the server&apos;s certificate with exactly this fingerprint even when it cannot be verified (a self-signed one); enter it only as your provider gives it.</source>
        <translation>Optional. Vertraut dem Zertifikat des Servers mit genau diesem Fingerabdruck, auch wenn es nicht geprüft werden kann (ein selbst signiertes); geben Sie ihn nur so ein, wie Ihr Anbieter ihn nennt.</translation>
    </message>
    <message>
        <source>Filled in the settings for %1 from %2.</source>
        <translation>Einstellungen für %1 aus %2 ausgefüllt.</translation>
    </message>
    <message>
        <source> No OAuth 2.0 client is set up, so enter an app password.</source>
        <translation> Es ist kein OAuth-2.0-Client eingerichtet; geben Sie daher ein App-Passwort ein.</translation>
    </message>
    <message>
        <source>Enter the whole address, such as name@example.org (the domain in plain letters).</source>
        <translation>Geben Sie die ganze Adresse ein, etwa name@example.org (die Domain in einfachen Buchstaben).</translation>
    </message>
    <message>
        <source>%1 offers no POP3 access.</source>
        <translation>%1 bietet keinen POP3-Zugang.</translation>
    </message>
    <message>
        <source>Mavix&apos;s list of providers</source>
        <translation>Mavix&apos; Anbieterliste</translation>
    </message>
    <message>
        <source>Looking up the settings %1 publishes…</source>
        <translation>Suche die Einstellungen, die %1 veröffentlicht…</translation>
    </message>
    <message>
        <source>the configuration its domain publishes</source>
        <translation>der Konfiguration, die ihre Domain veröffentlicht</translation>
    </message>
    <message>
        <source>No settings were found (%1). Enter the server&apos;s details yourself.</source>
        <translation>Keine Einstellungen gefunden (%1). Geben Sie die Serverdaten selbst ein.</translation>
    </message>
    <message>
        <source>The password is kept in the desktop&apos;s keyring.</source>
        <translation>Das Passwort wird im Schlüsselbund des Desktops aufbewahrt.</translation>
    </message>
    <message>
        <source>No keyring was found: the password is kept in Mavix&apos;s settings file, readable only by you.</source>
        <translation>Kein Schlüsselbund gefunden: Das Passwort wird in der Einstellungsdatei von Mavix aufbewahrt, die nur Sie lesen können.</translation>
    </message>
    <message>
        <source>The %1 cannot contain control characters.</source>
        <translation>%1 darf keine Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>The %1 can be at most %2 characters long; this one has %3.</source>
        <translation>%1 darf höchstens %2 Zeichen lang sein; dieser Eintrag hat %3.</translation>
    </message>
    <message>
        <source>The %1 can only hold Western (Windows-1252) characters.</source>
        <translation>%1 darf nur westliche Zeichen (Windows-1252) enthalten.</translation>
    </message>
    <message>
        <source>The server name cannot contain control characters.</source>
        <translation>Der Servername darf keine Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>The server name can only hold Western (Windows-1252) characters.</source>
        <translation>Der Servername darf nur westliche Zeichen (Windows-1252) enthalten.</translation>
    </message>
    <message>
        <source>user name</source>
        <translation>Der Benutzername</translation>
    </message>
    <message>
        <source>password</source>
        <translation>Das Passwort</translation>
    </message>
    <message>
        <source>Enter the port as a whole number from 1 to 65535.</source>
        <translation>Geben Sie den Port als ganze Zahl von 1 bis 65535 ein.</translation>
    </message>
    <message>
        <source>Enter the SHA-256 fingerprint as 64 hex digits, with or without colons, or leave it empty.</source>
        <translation>Geben Sie den SHA-256-Fingerabdruck als 64 Hexadezimalziffern ein, mit oder ohne Doppelpunkte, oder lassen Sie das Feld leer.</translation>
    </message>
    <message>
        <source>S&amp;et Up</source>
        <translation>&amp;Einrichten</translation>
    </message>
    <message>
        <source>Sign &amp;in…</source>
        <translation>A&amp;nmelden…</translation>
    </message>
    <message>
        <source>&amp;Server</source>
        <translation>&amp;Server</translation>
    </message>
    <message>
        <source>&amp;User Name</source>
        <translation>Ben&amp;utzername</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>&amp;Passwort</translation>
    </message>
    <message>
        <source>E-&amp;mail Address</source>
        <translation>E-&amp;Mail-Adresse</translation>
    </message>
    <message>
        <source>&amp;Authentication</source>
        <translation>&amp;Authentifizierung</translation>
    </message>
    <message>
        <source>P&amp;ort Number</source>
        <translation>P&amp;ortnummer</translation>
    </message>
    <message>
        <source>Se&amp;curity</source>
        <translation>Si&amp;cherheit</translation>
    </message>
    <message>
        <source>Certificate &amp;fingerprint (SHA-256)</source>
        <translation>Zertifikat-&amp;Fingerabdruck (SHA-256)</translation>
    </message>
    <message>
        <source>Use the settings %1 publishes?</source>
        <translation>Die von %1 veröffentlichten Einstellungen verwenden?</translation>
    </message>
    <message>
        <source>Use These Settings</source>
        <translation>Diese Einstellungen verwenden</translation>
    </message>
    <message>
        <source>The settings %1 publishes were not used: %2 Enter the server&apos;s details yourself.</source>
        <translation>Die von %1 veröffentlichten Einstellungen wurden nicht verwendet: %2 Geben Sie die Angaben zum Server selbst ein.</translation>
    </message>
</context>
<context>
    <name>CAccountEditing</name>
    <message>
        <source>New Account</source>
        <translation>Neues Konto</translation>
    </message>
    <message>
        <source>Account “%1”</source>
        <translation>Konto „%1“</translation>
    </message>
    <message>
        <source>The accounts can be changed once no account is being scanned or reviewed: finish or cancel the review first.</source>
        <translation>Die Konten können geändert werden, sobald kein Konto mehr durchsucht oder geprüft wird: Beenden oder brechen Sie zuerst die Prüfung ab.</translation>
    </message>
    <message>
        <source>Enter the server first.</source>
        <translation>Geben Sie zuerst den Server ein.</translation>
    </message>
    <message>
        <source>Waiting for the sign-in in your browser…</source>
        <translation>Warte auf die Anmeldung in Ihrem Browser…</translation>
    </message>
    <message>
        <source>Signed in. Press OK to keep the sign-in with the account.</source>
        <translation>Angemeldet. Drücken Sie OK, um die Anmeldung beim Konto zu behalten.</translation>
    </message>
    <message>
        <source>Sign-in failed: </source>
        <translation>Anmeldung fehlgeschlagen: </translation>
    </message>
</context>
<context>
    <name>CAccountsDlg</name>
    <message>
        <source>  — off</source>
        <translation>  — aus</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Konten</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>Re&amp;name...</source>
        <translation>&amp;Umbenennen...</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation>Nach u&amp;nten</translation>
    </message>
    <message>
        <source>&amp;Switch Off</source>
        <translation>&amp;Ausschalten</translation>
    </message>
    <message>
        <source>&amp;Remove...</source>
        <translation>&amp;Entfernen...</translation>
    </message>
    <message>
        <source>&amp;Switch On</source>
        <translation>&amp;Einschalten</translation>
    </message>
    <message>
        <source>Mavix keeps at most %1 accounts.</source>
        <translation>Mavix verwaltet höchstens %1 Konten.</translation>
    </message>
    <message>
        <source>Rename Account</source>
        <translation>Konto umbenennen</translation>
    </message>
    <message>
        <source>Name (empty: %1@%2):</source>
        <translation>Name (leer: %1@%2):</translation>
    </message>
    <message>
        <source>Remove the account &quot;%1&quot;?</source>
        <translation>Das Konto „%1“ entfernen?</translation>
    </message>
    <message>
        <source>Its password or sign-in, its remembered choices and its header cache are removed with it. Messages on the server are not touched.</source>
        <translation>Sein Passwort bzw. seine Anmeldung, seine gemerkten Entscheidungen und sein Kopfzeilen-Cache werden mit entfernt. Nachrichten auf dem Server bleiben unberührt.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>The account could not be removed: the settings file could not be written.</source>
        <translation>Das Konto konnte nicht entfernt werden: Die Einstellungsdatei konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Another account is already called “%1”: choose another name.</source>
        <translation>Ein anderes Konto heißt schon „%1“: Wählen Sie einen anderen Namen.</translation>
    </message>
</context>
<context>
    <name>CFilterEditDlg</name>
    <message>
        <source>Add Filter</source>
        <translation>Filter hinzufügen</translation>
    </message>
    <message>
        <source>contains this text anywhere, even inside a word</source>
        <translation>diesen Text irgendwo enthält, auch innerhalb eines Wortes</translation>
    </message>
    <message>
        <source>has this text as a whole word or phrase</source>
        <translation>diesen Text als ganzes Wort oder ganze Wendung enthält</translation>
    </message>
    <message>
        <source>matches this regular expression</source>
        <translation>auf diesen regulären Ausdruck passt</translation>
    </message>
    <message>
        <source>Edit Filter</source>
        <translation>Filter bearbeiten</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>&amp;Flag a Subject that</source>
        <translation>Einen Betre&amp;ff markieren, der</translation>
    </message>
</context>
<context>
    <name>CFilterPage</name>
    <message>
        <source>   (an encoded word that does not decode)</source>
        <translation>   (ein kodiertes Wort, das sich nicht dekodieren lässt)</translation>
    </message>
    <message>
        <source>   (whole word)</source>
        <translation>   (ganzes Wort)</translation>
    </message>
    <message>
        <source>   (regular expression)</source>
        <translation>   (regulärer Ausdruck)</translation>
    </message>
    <message>
        <source>Filters</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>&amp;Add Filter</source>
        <translation>Filter &amp;hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Delete Filter</source>
        <translation>Filter &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Edit Filter</source>
        <translation>Filter b&amp;earbeiten</translation>
    </message>
    <message>
        <source>&amp;Restore Defaults</source>
        <translation>Standa&amp;rd wiederherstellen</translation>
    </message>
</context>
<context>
    <name>CFilterSenderPage</name>
    <message>
        <source>Email from an address shown above, or from a domain shown with @ in front (@example.com), is never marked for deletion.</source>
        <translation>E-Mails von einer oben gezeigten Adresse oder von einer mit vorangestelltem @ gezeigten Domain (@example.com) werden nie zum Löschen markiert.</translation>
    </message>
    <message>
        <source>If the sender&apos;s address is shown above, or its domain with @ in front (@example.com), the email is marked for deletion.</source>
        <translation>Steht die Adresse des Absenders oben oder ihre Domain mit vorangestelltem @ (@example.com), wird die E-Mail zum Löschen markiert.</translation>
    </message>
</context>
<context>
    <name>CFilterSizePage</name>
    <message>
        <source>An entry is a size as the Size column shows it, such as 113K, or &quot;&gt;&quot; and a size a message must exceed, such as &gt;500K or &gt;2M.</source>
        <translation>Ein Eintrag ist eine Größe, wie die Spalte „Größe“ sie zeigt, etwa 113K, oder „&gt;“ und eine Größe, die eine Nachricht überschreiten muss, etwa &gt;500K oder &gt;2M.</translation>
    </message>
    <message>
        <source>You can load a default set of filters: click the Restore Defaults button.</source>
        <translation>Sie können einen Standardsatz von Filtern laden: Klicken Sie auf „Standard wiederherstellen“.</translation>
    </message>
</context>
<context>
    <name>CFilterSubExPage</name>
    <message>
        <source>If the Subject of the email exactly matches the text shown above, the email is marked for deletion.</source>
        <translation>Stimmt der Betreff der E-Mail genau mit dem oben gezeigten Text überein, wird die E-Mail zum Löschen markiert.</translation>
    </message>
</context>
<context>
    <name>CFilterSubPage</name>
    <message>
        <source>If the Subject holds an entry&apos;s text (anywhere, or as a whole word, as shown beside it) or matches its regular expression, the email is marked for deletion. Case and accents do not matter.</source>
        <translation>Enthält der Betreff den Text eines Eintrags (irgendwo oder als ganzes Wort, wie daneben angegeben) oder passt er auf dessen regulären Ausdruck, wird die E-Mail zum Löschen markiert. Groß-/Kleinschreibung und Akzente spielen keine Rolle.</translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Mavix Help</source>
        <translation>Mavix-Hilfe</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Handbuch</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Vorwärts</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Rescan Everything</source>
        <translation>Alles &amp;neu einlesen</translation>
    </message>
    <message>
        <source>Fetch every message&apos;s header again, ignoring the header cache
Rescan Everything</source>
        <translation>Die Kopfzeilen jeder Nachricht erneut abrufen, ohne den Kopfzeilen-Cache
Alles neu einlesen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>Die Anwendung beenden
Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Account
Account</source>
        <translation>Konto
Konto</translation>
    </message>
    <message>
        <source>A&amp;ccounts…</source>
        <translation>K&amp;onten…</translation>
    </message>
    <message>
        <source>Add, rename, reorder, switch off or remove accounts
Accounts</source>
        <translation>Konten hinzufügen, umbenennen, umsortieren, ausschalten oder entfernen
Konten</translation>
    </message>
    <message>
        <source>Manage Filter
Manage Filter</source>
        <translation>Filter verwalten
Filter verwalten</translation>
    </message>
    <message>
        <source>Preferences
Preferences</source>
        <translation>Einstellungen
Einstellungen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>Statusleiste ein- oder ausblenden
Statusleiste umschalten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Recently &amp;Deleted…</source>
        <translation>Kürzlich &amp;gelöscht…</translation>
    </message>
    <message>
        <source>Show the messages Mavix has deleted on the server
Recently Deleted</source>
        <translation>Die Nachrichten zeigen, die Mavix auf dem Server gelöscht hat
Kürzlich gelöscht</translation>
    </message>
    <message>
        <source>&amp;About Mavix...</source>
        <translation>Ü&amp;ber Mavix...</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation>Programminformationen, Versionsnummer und Copyright anzeigen
Über</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Shutting down... May take 20 seconds</source>
        <translation>Wird beendet... Kann 20 Sekunden dauern</translation>
    </message>
    <message>
        <source>&amp;Manage Account</source>
        <translation>&amp;Konto verwalten</translation>
    </message>
    <message>
        <source>Manage &amp;Filter</source>
        <translation>&amp;Filter verwalten</translation>
    </message>
    <message>
        <source>&amp;Preferences</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Columns</source>
        <translation>S&amp;palten</translation>
    </message>
    <message>
        <source>Help &amp;Topics</source>
        <translation>Hilfe&amp;themen</translation>
    </message>
</context>
<context>
    <name>CMavixView</name>
    <message>
        <source>From the last scan: press Show Mavix to scan again</source>
        <translation>Aus der letzten Suche: „Mavix zeigen“ drücken, um neu zu suchen</translation>
    </message>
    <message>
        <source>Please set up an account using &quot;Edit&quot; on the menu.</source>
        <translation>Bitte richten Sie über „Bearbeiten“ im Menü ein Konto ein.</translation>
    </message>
    <message>
        <source>server=%1, user=%2 port=%3</source>
        <translation>Server=%1, Benutzer=%2 Port=%3</translation>
    </message>
    <message>
        <source>switched off</source>
        <translation>ausgeschaltet</translation>
    </message>
    <message>
        <source>failed: some field of the account is blank</source>
        <translation>Fehler: ein Feld des Kontos ist leer</translation>
    </message>
    <message>
        <source>Failed to connect (some field is blank)
</source>
        <translation>Verbindung fehlgeschlagen (ein Feld ist leer)
</translation>
    </message>
    <message>
        <source>Background check failed: </source>
        <translation>Hintergrundprüfung fehlgeschlagen: </translation>
    </message>
    <message>
        <source>failed: </source>
        <translation>Fehler: </translation>
    </message>
    <message>
        <source>failed to connect (still waiting for the server)</source>
        <translation>Verbindung fehlgeschlagen (warte noch auf den Server)</translation>
    </message>
    <message>
        <source>Failed to connect. </source>
        <translation>Verbindung fehlgeschlagen. </translation>
    </message>
    <message>
        <source>  (the password travelled unencrypted)</source>
        <translation>  (das Passwort wurde unverschlüsselt übertragen)</translation>
    </message>
    <message>
        <source>Logged in with </source>
        <translation>Angemeldet mit </translation>
    </message>
    <message>
        <source>: the password travelled unencrypted, so anyone on the way could read it. Choose a secure connection or another log-in method under Manage Account.</source>
        <translation>: Das Passwort wurde unverschlüsselt übertragen, jeder auf dem Weg konnte es lesen. Wählen Sie unter „Konto verwalten“ eine sichere Verbindung oder ein anderes Anmeldeverfahren.</translation>
    </message>
    <message>
        <source>The server ended the session: Removed Checked Items will log in again.</source>
        <translation>Der Server hat die Sitzung beendet: „Markierte entfernen“ meldet sich erneut an.</translation>
    </message>
    <message>
        <source>The server ended the session. It gives its messages no lasting ids (UIDL), so the rows can no longer be matched to messages: scan again.</source>
        <translation>Der Server hat die Sitzung beendet. Er vergibt seinen Nachrichten keine dauerhaften IDs (UIDL), daher lassen sich die Zeilen nicht mehr den Nachrichten zuordnen: bitte neu suchen.</translation>
    </message>
    <message>
        <source>  (no lasting ids: scan to remove any)</source>
        <translation>  (keine dauerhaften IDs: zum Entfernen neu suchen)</translation>
    </message>
    <message>
        <source>No messages are checked.</source>
        <translation>Es sind keine Nachrichten markiert.</translation>
    </message>
    <message>
        <source>removing checked items…</source>
        <translation>markierte Nachrichten werden entfernt…</translation>
    </message>
    <message>
        <source>(no subject)</source>
        <translation>(kein Betreff)</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
    <message>
        <source>POP3 cannot put a message back on the server. A copy of each message up to %1 KB is kept for %2 days: Help › Recently Deleted… can save or open it.</source>
        <translation>POP3 kann eine Nachricht nicht auf den Server zurücklegen. Von jeder Nachricht bis %1 KB wird %2 Tage lang eine Kopie aufbewahrt: Hilfe › Kürzlich gelöscht… kann sie speichern oder öffnen.</translation>
    </message>
    <message>
        <source>POP3 cannot put a message back on the server, and no copy is kept (Edit › Preferences).</source>
        <translation>POP3 kann eine Nachricht nicht auf den Server zurücklegen, und es wird keine Kopie aufbewahrt (Bearbeiten › Einstellungen).</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>  %1 checked</source>
        <translation>  %1 markiert</translation>
    </message>
    <message>
        <source>Grid has </source>
        <translation>Liste hat </translation>
    </message>
    <message>
        <source>
 but Msg has 
</source>
        <translation>
 aber die Nachricht hat 
</translation>
    </message>
    <message>
        <source>

 Aborting</source>
        <translation>

 Abgebrochen</translation>
    </message>
    <message>
        <source>Waiting for the server (%1 s)…</source>
        <translation>Warte auf den Server (%1 s)…</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>%1 messages, %2 suspect</source>
        <translation>%1 Nachrichten, %2 verdächtig</translation>
    </message>
    <message>
        <source>scanning: </source>
        <translation>Suche läuft: </translation>
    </message>
    <message>
        <source>scanning…</source>
        <translation>Suche läuft…</translation>
    </message>
    <message>
        <source>All accounts
%1 waiting, %2 suspect</source>
        <translation>Alle Konten
%1 wartend, %2 verdächtig</translation>
    </message>
    <message>
        <source>Delete %1 message from %2 on the server?</source>
        <translation>%1 Nachricht von %2 auf dem Server löschen?</translation>
    </message>
    <message>
        <source>Delete %1 messages from %2 on the server?</source>
        <translation>%1 Nachrichten von %2 auf dem Server löschen?</translation>
    </message>
    <message>
        <source>  %1 eMails :   %2 Suspect</source>
        <translation>  %1 E-Mails :   %2 verdächtig</translation>
    </message>
    <message>
        <source>item %1 has order number problem</source>
        <translation>Eintrag %1 hat ein Problem mit der Ordnungsnummer</translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation>Server nicht gefunden</translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation>Protokollfehler – neu starten</translation>
    </message>
    <message>
        <source>&amp;Show Mavix</source>
        <translation>&amp;Mavix zeigen</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Konten</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message>
        <source>Checked messages are deleted on the server; Space checks or unchecks</source>
        <translation>Markierte Nachrichten werden auf dem Server gelöscht; die Leertaste markiert oder hebt die Markierung auf</translation>
    </message>
    <message>
        <source>&amp;Check All</source>
        <translation>Alle mar&amp;kieren</translation>
    </message>
    <message>
        <source>&amp;Uncheck All</source>
        <translation>Alle abwäh&amp;len</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>Abb&amp;rechen</translation>
    </message>
    <message>
        <source>&amp;Removed Checked Items</source>
        <translation>Markierte en&amp;tfernen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Nobody has signed in for this account yet: Sign in… under Edit › Manage Account.</source>
        <translation>Für dieses Konto hat sich noch niemand angemeldet: Anmelden… unter Bearbeiten › Konto verwalten.</translation>
    </message>
    <message>
        <source>Delete %1 messages from %2 accounts on the server (%3)?</source>
        <translation>%1 Nachrichten aus %2 Konten auf dem Server löschen (%3)?</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>angehalten</translation>
    </message>
    <message>
        <source>Edit Account…</source>
        <translation>Konto bearbeiten…</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
</context>
<context>
    <name>CPrefsDlg</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>0 (no previews)</source>
        <translation>0 (keine Vorschau)</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>KB, for</source>
        <translation>KB, für</translation>
    </message>
    <message>
        <source>days</source>
        <translation>Tage</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>lines of a selected message</source>
        <translation>Zeilen einer ausgewählten Nachricht</translation>
    </message>
    <message>
        <source>Automatically &amp;Get Mavix on Launch</source>
        <translation>&amp;Mavix beim Start automatisch abrufen</translation>
    </message>
    <message>
        <source>Automatically E&amp;xit After Cancel or Purge</source>
        <translation>&amp;Nach Abbrechen oder Löschen automatisch beenden</translation>
    </message>
    <message>
        <source>Automatically Set the &amp;Filter lists to the Default on Launch</source>
        <translation>&amp;Filterlisten beim Start automatisch auf den Standard setzen</translation>
    </message>
    <message>
        <source>&amp;Check for mail every</source>
        <translation>Na&amp;ch E-Mails suchen alle</translation>
    </message>
    <message>
        <source>Minutes between checks</source>
        <translation>Minuten zwischen den Prüfungen</translation>
    </message>
    <message>
        <source>&amp;Keep a copy of deleted messages up to</source>
        <translation>Eine &amp;Kopie gelöschter Nachrichten aufbewahren bis</translation>
    </message>
    <message>
        <source>Largest copy kept, in KB</source>
        <translation>Größte aufbewahrte Kopie, in KB</translation>
    </message>
    <message>
        <source>Days a copy is kept</source>
        <translation>Tage, die eine Kopie aufbewahrt wird</translation>
    </message>
    <message>
        <source>&amp;Ask before deleting messages</source>
        <translation>Vor dem Löschen von N&amp;achrichten fragen</translation>
    </message>
    <message>
        <source>Mark mail whose sender failed the receiving server&apos;s checks (&amp;DMARC, SPF)</source>
        <translation>E-Mails markieren, &amp;deren Absender die Prüfungen des empfangenden Servers nicht bestand (DMARC, SPF)</translation>
    </message>
    <message>
        <source>Mark mail whose sender&apos;s &amp;name shows another address or domain</source>
        <translation>E-Mails ma&amp;rkieren, deren Absendername eine andere Adresse oder Domain zeigt</translation>
    </message>
    <message>
        <source>Mark mail from domains that &amp;look like well-known ones</source>
        <translation>E-Mai&amp;ls von Domains markieren, die bekannten Domains ähneln</translation>
    </message>
    <message>
        <source>S&amp;tart Mavix when I log in</source>
        <translation>Mavix bei der Anmeldung s&amp;tarten</translation>
    </message>
    <message>
        <source>&amp;Wait for the server up to</source>
        <translation>Auf den Server &amp;warten bis zu</translation>
    </message>
    <message>
        <source>&amp;Preview the first</source>
        <translation>&amp;Vorschau der ersten</translation>
    </message>
    <message>
        <source>no program</source>
        <translation>kein Programm</translation>
    </message>
    <message>
        <source>Mavix does not start when you log in: its entry %1 starts %2, which is not there. OK writes it again for %3.</source>
        <translation>Mavix startet bei der Anmeldung nicht: Sein Eintrag %1 startet %2, das es nicht gibt. OK schreibt ihn neu für %3.</translation>
    </message>
</context>
<context>
    <name>CRecentlyDeletedWindow</name>
    <message>
        <source>Recently Deleted</source>
        <translation>Kürzlich gelöscht</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>Gelöscht</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Grund</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopie</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>UIDL</source>
        <translation>UIDL</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>&amp;Neu laden</translation>
    </message>
    <message>
        <source>&amp;Save Copy As…</source>
        <translation>Kopie &amp;speichern unter…</translation>
    </message>
    <message>
        <source>&amp;Open in Mail Program</source>
        <translation>Im E-Mail-Programm ö&amp;ffnen</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>kept</source>
        <translation>aufbewahrt</translation>
    </message>
    <message>
        <source>Nothing has been deleted yet. Deletions are recorded in %1.</source>
        <translation>Bisher wurde nichts gelöscht. Löschungen werden in %1 vermerkt.</translation>
    </message>
    <message>
        <source>%1 deleted messages, newest first, from %2.</source>
        <translation>%1 gelöschte Nachrichten, neueste zuerst, aus %2.</translation>
    </message>
    <message>
        <source>The kept copy of this message is gone.</source>
        <translation>Die aufbewahrte Kopie dieser Nachricht ist nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>Save Copy As</source>
        <translation>Kopie speichern unter</translation>
    </message>
    <message>
        <source>Mail messages (*.eml)</source>
        <translation>E-Mail-Nachrichten (*.eml)</translation>
    </message>
    <message>
        <source>The copy could not be saved as %1.</source>
        <translation>Die Kopie konnte nicht als %1 gespeichert werden.</translation>
    </message>
    <message>
        <source>The copy could not be opened in your mail program.</source>
        <translation>Die Kopie konnte nicht in Ihrem E-Mail-Programm geöffnet werden.</translation>
    </message>
    <message>
        <source>Deleted messages</source>
        <translation>Gelöschte Nachrichten</translation>
    </message>
    <message>
        <source>Save &amp;All…</source>
        <translation>&amp;Alle speichern…</translation>
    </message>
    <message>
        <source>Save the kept copies of the selected rows into a folder</source>
        <translation>Die aufbewahrten Kopien der gewählten Zeilen in einem Ordner speichern</translation>
    </message>
    <message>
        <source>
POP3 cannot put a message back on the server. Where a copy was kept, select its row to save it as a file or open it in your mail program; select several rows (Ctrl+A: all) to save their copies at once.</source>
        <translation>
POP3 kann eine Nachricht nicht auf den Server zurücklegen. Wo eine Kopie aufbewahrt wurde, wählen Sie ihre Zeile, um sie als Datei zu speichern oder in Ihrem E-Mail-Programm zu öffnen; wählen Sie mehrere Zeilen (Strg+A: alle), um ihre Kopien auf einmal zu speichern.</translation>
    </message>
    <message>
        <source>Save All Copies Into</source>
        <translation>Alle Kopien speichern in</translation>
    </message>
    <message>
        <source>Could not be saved: %1</source>
        <translation>Nicht gespeichert werden konnten: %1</translation>
    </message>
    <message>
        <source>No mail program could be opened for this message. Save it with &quot;Save Copy As…&quot; and open the file in your mail program.</source>
        <translation>Für diese Nachricht ließ sich kein E-Mail-Programm öffnen. Speichern Sie sie mit „Kopie speichern unter…“ und öffnen Sie die Datei in Ihrem E-Mail-Programm.</translation>
    </message>
    <message>
        <source>Copies saved in %1: %2.</source>
        <translation>In %1 gespeicherte Kopien: %2.</translation>
    </message>
    <message>
        <source>Selected rows without a kept copy: %1.</source>
        <translation>Gewählte Zeilen ohne aufbewahrte Kopie: %1.</translation>
    </message>
</context>
<context>
    <name>CRowActions</name>
    <message>
        <source>Trust this sender</source>
        <translation>Diesem Absender vertrauen</translation>
    </message>
    <message>
        <source>Always flag this sender</source>
        <translation>Diesen Absender immer markieren</translation>
    </message>
    <message>
        <source>Flag Subjects that are exactly “%1”</source>
        <translation>Betreffs markieren, die genau „%1“ lauten</translation>
    </message>
    <message>
        <source>View Headers…</source>
        <translation>Kopfzeilen anzeigen…</translation>
    </message>
    <message>
        <source>The filter lists could not be saved in %1.

The changes apply until Mavix is closed.</source>
        <translation>Die Filterlisten konnten nicht in %1 gespeichert werden.

Die Änderungen gelten, bis Mavix geschlossen wird.</translation>
    </message>
    <message>
        <source>The headers of this message cannot be read from %1.</source>
        <translation>Die Kopfzeilen dieser Nachricht können nicht aus %1 gelesen werden.</translation>
    </message>
    <message>
        <source>Headers of message %1</source>
        <translation>Kopfzeilen der Nachricht %1</translation>
    </message>
</context>
<context>
    <name>CTrayController</name>
    <message>
        <source>Mavix keeps checking for mail in the background. File › Exit quits.</source>
        <translation>Mavix sucht im Hintergrund weiter nach E-Mails. Datei › Beenden schließt das Programm.</translation>
    </message>
    <message>
        <source>not checked yet</source>
        <translation>noch nicht geprüft</translation>
    </message>
    <message>
        <source>Check now</source>
        <translation>Jetzt prüfen</translation>
    </message>
    <message>
        <source>Pause background checks</source>
        <translation>Prüfung im Hintergrund anhalten</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Background checks are paused</source>
        <translation>Die Prüfung im Hintergrund ist angehalten</translation>
    </message>
    <message>
        <source>Open Mavix</source>
        <translation>Mavix öffnen</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
</context>
<context>
    <name>DumpFile</name>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>keine Berechtigung</translation>
    </message>
    <message>
        <source>the folder is read-only</source>
        <translation>der Ordner ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>die Datei ist zu groß</translation>
    </message>
    <message>
        <source>%1 (cannot create a file in the folder of %2)</source>
        <translation>%1 (im Ordner von %2 kann keine Datei angelegt werden)</translation>
    </message>
    <message>
        <source>Failed to write message to file: %1</source>
        <translation>Die Nachricht konnte nicht in die Datei geschrieben werden: %1</translation>
    </message>
    <message>
        <source>%1 was cut at %2 MiB; later messages are listed but not written to it</source>
        <translation>%1 wurde bei %2 MiB abgeschnitten; spätere Nachrichten werden aufgeführt, aber nicht hineingeschrieben</translation>
    </message>
    <message>
        <source>%1 (writing %2)</source>
        <translation>%1 (beim Schreiben von %2)</translation>
    </message>
    <message>
        <source>%1 (closing %2)</source>
        <translation>%1 (beim Schließen von %2)</translation>
    </message>
    <message>
        <source>%1 belongs to another user and this folder does not let it be replaced</source>
        <translation>%1 gehört einem anderen Benutzer, und dieser Ordner lässt nicht zu, dass sie ersetzt wird</translation>
    </message>
    <message>
        <source>%1 (replacing %2)</source>
        <translation>%1 (beim Ersetzen von %2)</translation>
    </message>
</context>
<context>
    <name>EntryRules</name>
    <message>
        <source>Type &quot;&gt;&quot; and a size, such as &gt;500K or &gt;2M.</source>
        <translation>Geben Sie „&gt;“ und eine Größe ein, etwa &gt;500K oder &gt;2M.</translation>
    </message>
    <message>
        <source>A size above nothing would mark every message: type a size above 0, such as &gt;500K.</source>
        <translation>Eine Größe über nichts würde jede Nachricht markieren: Geben Sie eine Größe über 0 ein, etwa &gt;500K.</translation>
    </message>
</context>
<context>
    <name>FilterManager</name>
    <message>
        <source>Manage Filters</source>
        <translation>Filter verwalten</translation>
    </message>
    <message>
        <source>Size Filter</source>
        <translation>Größenfilter</translation>
    </message>
    <message>
        <source>Subject Filter</source>
        <translation>Betreff-Filter</translation>
    </message>
    <message>
        <source>Subject Exact Filter</source>
        <translation>Filter für exakten Betreff</translation>
    </message>
    <message>
        <source>Senders</source>
        <translation>Absender</translation>
    </message>
    <message>
        <source>Trusted senders</source>
        <translation>Vertrauenswürdige Absender</translation>
    </message>
    <message>
        <source>The filter lists could not be saved in %1.

The changes apply until Mavix is closed.</source>
        <translation>Die Filterlisten konnten nicht in %1 gespeichert werden.

Die Änderungen gelten, bis Mavix geschlossen wird.</translation>
    </message>
</context>
<context>
    <name>Filters</name>
    <message>
        <source>defaults.txt was ignored because it is a symbolic link; the built-in default filters are used instead.</source>
        <translation>defaults.txt wurde nicht beachtet, weil sie eine symbolische Verknüpfung ist; stattdessen gelten die eingebauten Standardfilter.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it cannot be examined; the built-in default filters are used instead.</source>
        <translation>defaults.txt wurde nicht beachtet, weil sie sich nicht prüfen lässt; stattdessen gelten die eingebauten Standardfilter.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it is not a plain file; the built-in default filters are used instead.</source>
        <translation>defaults.txt wurde nicht beachtet, weil sie keine gewöhnliche Datei ist; stattdessen gelten die eingebauten Standardfilter.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it belongs to another user; the built-in default filters are used instead.</source>
        <translation>defaults.txt wurde nicht beachtet, weil sie einem anderen Benutzer gehört; stattdessen gelten die eingebauten Standardfilter.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because others may change it (chmod go-w defaults.txt); the built-in default filters are used instead.</source>
        <translation>defaults.txt wurde nicht beachtet, weil andere sie ändern dürfen (chmod go-w defaults.txt); stattdessen gelten die eingebauten Standardfilter.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it cannot be read; the built-in default filters are used instead.</source>
        <translation>defaults.txt wurde nicht beachtet, weil sie sich nicht lesen lässt; stattdessen gelten die eingebauten Standardfilter.</translation>
    </message>
</context>
<context>
    <name>MessageGridModel</name>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Att.</source>
        <translation>Anh.</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>To</source>
        <translation>An</translation>
    </message>
    <message>
        <source>CC</source>
        <translation>CC</translation>
    </message>
    <message>
        <source>From the last scan: scan again to check or remove it</source>
        <translation>Aus der letzten Suche: neu suchen, um sie zu markieren oder zu entfernen</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>checked</source>
        <translation>markiert</translation>
    </message>
    <message>
        <source>not checked</source>
        <translation>nicht markiert</translation>
    </message>
    <message>
        <source>checked, suspect: %1</source>
        <translation>markiert, verdächtig: %1</translation>
    </message>
    <message>
        <source>not checked, suspect: %1</source>
        <translation>nicht markiert, verdächtig: %1</translation>
    </message>
</context>
<context>
    <name>NewMailNotices</name>
    <message>
        <source>1 new suspect message: %1</source>
        <translation>1 neue verdächtige Nachricht: %1</translation>
    </message>
    <message>
        <source>%1 new suspect messages: %2</source>
        <translation>%1 neue verdächtige Nachrichten: %2</translation>
    </message>
</context>
<context>
    <name>OAuth</name>
    <message>
        <source>the sign-in was not finished in the browser within %1 minutes; sign-in stopped</source>
        <translation>die Anmeldung wurde im Browser nicht innerhalb von %1 Minuten abgeschlossen; Anmeldung abgebrochen</translation>
    </message>
    <message>
        <source>the sign-in was not finished in the browser within %1 seconds; sign-in stopped</source>
        <translation>die Anmeldung wurde im Browser nicht innerhalb von %1 Sekunden abgeschlossen; Anmeldung abgebrochen</translation>
    </message>
    <message>
        <source>the provider&apos;s endpoints must be https:// addresses</source>
        <translation>die Endpunkte des Anbieters müssen https://-Adressen sein</translation>
    </message>
    <message>
        <source>no random numbers for the sign-in</source>
        <translation>keine Zufallszahlen für die Anmeldung</translation>
    </message>
    <message>
        <source>cannot listen on 127.0.0.1 for the browser: %1</source>
        <translation>auf 127.0.0.1 kann nicht auf den Browser gewartet werden: %1</translation>
    </message>
    <message>
        <source>This is not a sign-in answer.</source>
        <translation>Dies ist keine Antwort auf eine Anmeldung.</translation>
    </message>
    <message>
        <source>the sign-in listener got a request that is not the browser&apos;s answer; sign-in stopped</source>
        <translation>der Empfänger der Anmeldung erhielt eine Anfrage, die nicht die Antwort des Browsers ist; Anmeldung abgebrochen</translation>
    </message>
    <message>
        <source>Sign-in was already answered.</source>
        <translation>Die Anmeldung wurde bereits beantwortet.</translation>
    </message>
    <message>
        <source>a second request reached the sign-in listener; sign-in stopped for safety, please sign in again</source>
        <translation>eine zweite Anfrage erreichte den Empfänger der Anmeldung; Anmeldung zur Sicherheit abgebrochen, bitte melden Sie sich erneut an</translation>
    </message>
    <message>
        <source>Sign-in failed: this answer belongs to another sign-in.</source>
        <translation>Anmeldung fehlgeschlagen: Diese Antwort gehört zu einer anderen Anmeldung.</translation>
    </message>
    <message>
        <source>the browser&apos;s answer was not for this sign-in (its state differs); sign-in stopped</source>
        <translation>die Antwort des Browsers gehörte nicht zu dieser Anmeldung (ihr state weicht ab); Anmeldung abgebrochen</translation>
    </message>
    <message>
        <source>Sign-in failed. You can close this window.</source>
        <translation>Anmeldung fehlgeschlagen. Sie können dieses Fenster schließen.</translation>
    </message>
    <message>
        <source>the provider refused the sign-in: %1</source>
        <translation>der Anbieter hat die Anmeldung abgelehnt: %1</translation>
    </message>
    <message>
        <source>the provider refused the sign-in: %1 (%2)</source>
        <translation>der Anbieter hat die Anmeldung abgelehnt: %1 (%2)</translation>
    </message>
    <message>
        <source>Sign-in failed: no authorization code.</source>
        <translation>Anmeldung fehlgeschlagen: kein Autorisierungscode.</translation>
    </message>
    <message>
        <source>the browser&apos;s answer carried no authorization code</source>
        <translation>die Antwort des Browsers enthielt keinen Autorisierungscode</translation>
    </message>
    <message>
        <source>You can close this window.</source>
        <translation>Sie können dieses Fenster schließen.</translation>
    </message>
    <message>
        <source>the token endpoint refused the sign-in: %1</source>
        <translation>der Token-Endpunkt hat die Anmeldung abgelehnt: %1</translation>
    </message>
    <message>
        <source>the provider gave no refresh token (is offline access allowed for this client?)</source>
        <translation>der Anbieter hat kein Aktualisierungstoken ausgegeben (ist Offline-Zugriff für diesen Client erlaubt?)</translation>
    </message>
    <message>
        <source>cannot open the sign-in page in a browser</source>
        <translation>die Anmeldeseite kann in keinem Browser geöffnet werden</translation>
    </message>
    <message>
        <source>sign-in cancelled</source>
        <translation>Anmeldung abgebrochen</translation>
    </message>
    <message>
        <source>the custom OAuth provider needs %1, %2 and %3 in the settings&apos; [%4] section</source>
        <translation>der eigene OAuth-Anbieter braucht %1, %2 und %3 im Abschnitt [%4] der Einstellungen</translation>
    </message>
    <message>
        <source>no OAuth client ID for %1: set %2 in the settings&apos; [%3] section</source>
        <translation>keine OAuth-Client-ID für %1: Setzen Sie %2 im Abschnitt [%3] der Einstellungen</translation>
    </message>
    <message>
        <source>no OAuth provider is known for this server: set %1 (google, microsoft or custom) in the account</source>
        <translation>für diesen Server ist kein OAuth-Anbieter bekannt: Setzen Sie %1 (google, microsoft oder custom) im Konto</translation>
    </message>
    <message>
        <source>unknown OAuth provider &apos;%1&apos; (google, microsoft or custom)</source>
        <translation>unbekannter OAuth-Anbieter „%1“ (google, microsoft oder custom)</translation>
    </message>
    <message>
        <source>the token endpoint answered HTTP %1 without a token</source>
        <translation>der Token-Endpunkt antwortete mit HTTP %1 ohne Token</translation>
    </message>
    <message>
        <source>the token endpoint&apos;s answer is too long</source>
        <translation>die Antwort des Token-Endpunkts ist zu lang</translation>
    </message>
    <message>
        <source>the token endpoint answered HTTP %1 without JSON</source>
        <translation>der Token-Endpunkt antwortete mit HTTP %1 ohne JSON</translation>
    </message>
    <message>
        <source>the token endpoint sent a token with characters no token may hold</source>
        <translation>der Token-Endpunkt sandte ein Token mit Zeichen, die kein Token enthalten darf</translation>
    </message>
    <message>
        <source>no answer from the token endpoint in time</source>
        <translation>keine rechtzeitige Antwort vom Token-Endpunkt</translation>
    </message>
    <message>
        <source>cannot reach the token endpoint: %1</source>
        <translation>der Token-Endpunkt ist nicht erreichbar: %1</translation>
    </message>
    <message>
        <source>the token endpoint must be an https:// address</source>
        <translation>der Token-Endpunkt muss eine https://-Adresse sein</translation>
    </message>
    <message>
        <source>no OAuth refresh token is stored for this account: sign in first</source>
        <translation>für dieses Konto ist kein OAuth-Aktualisierungstoken gespeichert: Melden Sie sich zuerst an</translation>
    </message>
    <message>
        <source>cannot renew the OAuth access token: %1</source>
        <translation>das OAuth-Zugriffstoken kann nicht erneuert werden: %1</translation>
    </message>
    <message>
        <source>the token command wrote more than a token</source>
        <translation>der Token-Befehl hat mehr als ein Token ausgegeben</translation>
    </message>
    <message>
        <source>the token command did not finish in time</source>
        <translation>der Token-Befehl wurde nicht rechtzeitig fertig</translation>
    </message>
    <message>
        <source>the token command is empty</source>
        <translation>der Token-Befehl ist leer</translation>
    </message>
    <message>
        <source>cannot run the token command: %1</source>
        <translation>der Token-Befehl kann nicht ausgeführt werden: %1</translation>
    </message>
    <message>
        <source>the token command failed (exit status %1)</source>
        <translation>der Token-Befehl ist fehlgeschlagen (Exit-Status %1)</translation>
    </message>
    <message>
        <source>the token command gave no token on its standard output</source>
        <translation>der Token-Befehl gab auf seiner Standardausgabe kein Token aus</translation>
    </message>
</context>
<context>
    <name>Pop3</name>
    <message>
        <source>TLS cannot run over this stream.</source>
        <translation>TLS kann über diese Verbindung nicht laufen.</translation>
    </message>
    <message>
        <source>The server does not offer %1; it offers only USER/PASS.</source>
        <translation>Der Server bietet %1 nicht an; er bietet nur USER/PASS.</translation>
    </message>
    <message>
        <source>The server does not offer %1; it offers: %2.</source>
        <translation>Der Server bietet %1 nicht an; er bietet: %2.</translation>
    </message>
    <message>
        <source>this system cannot compute APOP&apos;s MD5 digest.</source>
        <translation>dieses System kann den MD5-Hashwert für APOP nicht berechnen.</translation>
    </message>
    <message>
        <source>this system cannot run %1.</source>
        <translation>dieses System kann %1 nicht ausführen.</translation>
    </message>
    <message>
        <source>the server went on past %1 rounds of %2.</source>
        <translation>der Server machte nach %1 Runden von %2 weiter.</translation>
    </message>
    <message>
        <source>the server&apos;s challenge to %1 is not base64.</source>
        <translation>die Challenge des Servers zu %1 ist kein Base64.</translation>
    </message>
    <message>
        <source>the server&apos;s challenge makes no sense to %1.</source>
        <translation>die Challenge des Servers ergibt für %1 keinen Sinn.</translation>
    </message>
    <message>
        <source>the access token is too long or holds a control character.</source>
        <translation>das Zugriffstoken ist zu lang oder enthält ein Steuerzeichen.</translation>
    </message>
    <message>
        <source>no way to get one is set up.</source>
        <translation>es ist kein Weg eingerichtet, eines zu bekommen.</translation>
    </message>
    <message>
        <source>the server went on after its error challenge to %1.</source>
        <translation>der Server machte nach seiner Fehler-Challenge zu %1 weiter.</translation>
    </message>
    <message>
        <source>%1 (status %2)</source>
        <translation>%1 (Status %2)</translation>
    </message>
    <message>
        <source>The user name or password is longer than 120 characters or holds a line break or NUL; nothing was sent.</source>
        <translation>Benutzername oder Passwort ist länger als 120 Zeichen oder enthält einen Zeilenumbruch oder NUL; es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>The server refused the connection: %1</source>
        <translation>Der Server hat die Verbindung abgelehnt: %1</translation>
    </message>
    <message>
        <source>The server refused the log-in: %1</source>
        <translation>Der Server hat die Anmeldung abgelehnt: %1</translation>
    </message>
    <message>
        <source>The server does not offer STLS (STARTTLS), so the connection cannot be secured; the user name and password were not sent.</source>
        <translation>Der Server bietet kein STLS (STARTTLS) an, daher lässt sich die Verbindung nicht absichern; Benutzername und Passwort wurden nicht gesendet.</translation>
    </message>
    <message>
        <source>The server refused STLS (STARTTLS): %1</source>
        <translation>Der Server hat STLS (STARTTLS) abgelehnt: %1</translation>
    </message>
    <message>
        <source>The server sent more than its answer to STLS (STARTTLS); the connection may have been tampered with and was closed.</source>
        <translation>Der Server hat mehr als seine Antwort auf STLS (STARTTLS) gesendet; die Verbindung wurde möglicherweise manipuliert und wurde geschlossen.</translation>
    </message>
    <message>
        <source>The server could not prove that it knows the password: it is not the server it claims to be, and the connection was closed.</source>
        <translation>Der Server konnte nicht beweisen, dass er das Passwort kennt: Er ist nicht der Server, der er zu sein vorgibt, und die Verbindung wurde geschlossen.</translation>
    </message>
    <message>
        <source>No access token could be had for the log-in: %1</source>
        <translation>Für die Anmeldung war kein Zugriffstoken zu bekommen: %1</translation>
    </message>
    <message>
        <source>The log-in could not go on: %1</source>
        <translation>Die Anmeldung konnte nicht fortgesetzt werden: %1</translation>
    </message>
    <message>
        <source>The server refused the log-in (%1): %2</source>
        <translation>Der Server hat die Anmeldung (%1) abgelehnt: %2</translation>
    </message>
    <message>
        <source>No answer on port %1 within %2 seconds</source>
        <translation>Keine Antwort auf Port %1 innerhalb von %2 Sekunden</translation>
    </message>
    <message>
        <source>%1 on port %2</source>
        <translation>%1 auf Port %2</translation>
    </message>
    <message>
        <source>The connection was lost while sending %1: %2.</source>
        <translation>Die Verbindung brach beim Senden von %1 ab: %2.</translation>
    </message>
    <message>
        <source>Stopped before %1.</source>
        <translation>Vor %1 angehalten.</translation>
    </message>
    <message>
        <source>The server had closed the connection before %1.</source>
        <translation>Der Server hatte die Verbindung vor %1 geschlossen.</translation>
    </message>
    <message>
        <source>The server sent data nobody asked for before %1.</source>
        <translation>Der Server hat vor %1 Daten gesendet, nach denen niemand gefragt hat.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 names another message.</source>
        <translation>Die Antwort des Servers auf %1 nennt eine andere Nachricht.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 gives no size.</source>
        <translation>Die Antwort des Servers auf %1 nennt keine Größe.</translation>
    </message>
    <message>
        <source>The reply to %1 was read out of turn.</source>
        <translation>Die Antwort auf %1 kam außer der Reihe.</translation>
    </message>
    <message>
        <source>The user name or password is longer than 120 characters or holds a line break or NUL.</source>
        <translation>Benutzername oder Passwort ist länger als 120 Zeichen oder enthält einen Zeilenumbruch oder NUL.</translation>
    </message>
    <message>
        <source>The server accepted the connection but sent no greeting within %1 seconds.</source>
        <translation>Der Server hat die Verbindung angenommen, aber innerhalb von %1 Sekunden keine Begrüßung gesendet.</translation>
    </message>
    <message>
        <source>no error</source>
        <translation>kein Fehler</translation>
    </message>
    <message>
        <source>the server refused the command</source>
        <translation>der Server hat den Befehl abgelehnt</translation>
    </message>
    <message>
        <source>the server&apos;s reply is not understood</source>
        <translation>die Antwort des Servers ist unverständlich</translation>
    </message>
    <message>
        <source>the server lists more than Mavix handles</source>
        <translation>der Server listet mehr auf, als Mavix verarbeitet</translation>
    </message>
    <message>
        <source>the server&apos;s reply holds a number out of range</source>
        <translation>die Antwort des Servers enthält eine Zahl außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>the server&apos;s message list names a message twice</source>
        <translation>die Nachrichtenliste des Servers nennt eine Nachricht zweimal</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>The server&apos;s message list does not match its count</source>
        <translation>Die Nachrichtenliste des Servers passt nicht zu seiner Anzahl</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 has no line end.</source>
        <translation>Die Antwort des Servers auf %1 hat kein Zeilenende.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 is not a POP3 reply.</source>
        <translation>Die Antwort des Servers auf %1 ist keine POP3-Antwort.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 is longer than 64 MiB.</source>
        <translation>Die Antwort des Servers auf %1 ist länger als 64 MiB.</translation>
    </message>
    <message>
        <source>The POP3 server&apos;s reply is longer than 64 MiB.</source>
        <translation>Die Antwort des POP3-Servers ist länger als 64 MiB.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 did not end within %2 seconds.</source>
        <translation>Die Antwort des Servers auf %1 endete nicht innerhalb von %2 Sekunden.</translation>
    </message>
    <message>
        <source>The server stopped in the middle of its answer to %1 (silent for %2 seconds).</source>
        <translation>Der Server hat mitten in seiner Antwort auf %1 aufgehört (seit %2 Sekunden still).</translation>
    </message>
    <message>
        <source>The server did not answer %1 within %2 seconds.</source>
        <translation>Der Server hat %1 nicht innerhalb von %2 Sekunden beantwortet.</translation>
    </message>
    <message>
        <source>Stopped while waiting for the answer to %1.</source>
        <translation>Beim Warten auf die Antwort auf %1 angehalten.</translation>
    </message>
    <message>
        <source>The connection was lost during %1.</source>
        <translation>Die Verbindung brach während %1 ab.</translation>
    </message>
    <message>
        <source>The server closed the connection during %1.</source>
        <translation>Der Server hat die Verbindung während %1 geschlossen.</translation>
    </message>
    <message>
        <source>The connection was lost during %1: %2.</source>
        <translation>Die Verbindung brach während %1 ab: %2.</translation>
    </message>
</context>
<context>
    <name>Preview</name>
    <message>
        <source>The session with the server has ended: scan again to preview this message.</source>
        <translation>Die Sitzung mit dem Server ist beendet: bitte neu suchen, um diese Nachricht in der Vorschau zu sehen.</translation>
    </message>
    <message>
        <source>The server would not name the message.</source>
        <translation>Der Server wollte die Nachricht nicht benennen.</translation>
    </message>
    <message>
        <source>The server has another message under this number now: scan again.</source>
        <translation>Der Server hat unter dieser Nummer jetzt eine andere Nachricht: bitte neu suchen.</translation>
    </message>
    <message>
        <source>The server would not show the message.</source>
        <translation>Der Server wollte die Nachricht nicht zeigen.</translation>
    </message>
</context>
<context>
    <name>PreviewPane</name>
    <message>
        <source>Message %1: fetching the first %2 lines...</source>
        <translation>Nachricht %1: die ersten %2 Zeilen werden abgerufen...</translation>
    </message>
    <message>
        <source>Previews are turned off (Preferences).</source>
        <translation>Vorschauen sind ausgeschaltet (Einstellungen).</translation>
    </message>
    <message>
        <source>Select a message to read its start here.</source>
        <translation>Wählen Sie eine Nachricht, um hier ihren Anfang zu lesen.</translation>
    </message>
    <message>
        <source>Message %1, the first %2 lines</source>
        <translation>Nachricht %1, die ersten %2 Zeilen</translation>
    </message>
    <message>
        <source>Message %1: no preview</source>
        <translation>Nachricht %1: keine Vorschau</translation>
    </message>
    <message>
        <source>From: %1
To: %2
Date: %3
Subject: %4
</source>
        <translation>Von: %1
An: %2
Datum: %3
Betreff: %4
</translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation>(ohne Namen)</translation>
    </message>
    <message>
        <source>Attachment: %1 — %2, %3 %4 KB%5
</source>
        <translation>Anhang: %1 — %2, %3 %4 KB%5
</translation>
    </message>
    <message>
        <source>at least</source>
        <translation>mindestens</translation>
    </message>
    <message>
        <source>about</source>
        <translation>etwa</translation>
    </message>
    <message>
        <source>  ⚠ a program named like a document</source>
        <translation>  ⚠ ein Programm, das wie ein Dokument benannt ist</translation>
    </message>
    <message>
        <source>(HTML shown as text; links as [their real target]; nothing was loaded)
</source>
        <translation>(HTML als Text gezeigt; Links als [ihr wirkliches Ziel]; nichts wurde geladen)
</translation>
    </message>
    <message>
        <source>
[cut: the message goes on past what was fetched]
</source>
        <translation>
[gekürzt: die Nachricht geht über das Abgerufene hinaus weiter]
</translation>
    </message>
    <message>
        <source>[parts nested too deep, or too many, were not shown]
</source>
        <translation>[zu tief verschachtelte oder zu viele Teile wurden nicht gezeigt]
</translation>
    </message>
    <message>
        <source>Message preview</source>
        <translation>Nachrichtenvorschau</translation>
    </message>
    <message>
        <source>Show &amp;More</source>
        <translation>Mehr &amp;zeigen</translation>
    </message>
</context>
<context>
    <name>Prompter</name>
    <message>
        <source>Don&apos;t ask again</source>
        <translation>Nicht mehr fragen</translation>
    </message>
</context>
<context>
    <name>Purge</name>
    <message>
        <source>Another purge of this account is running: nothing was deleted. Scan again once it has ended.</source>
        <translation>Für dieses Konto läuft bereits ein anderer Löschvorgang: es wurde nichts gelöscht. Bitte neu suchen, wenn er beendet ist.</translation>
    </message>
    <message>
        <source>The deletions could not be recorded in %1: nothing was deleted.</source>
        <translation>Die Löschungen konnten nicht in %1 festgehalten werden: es wurde nichts gelöscht.</translation>
    </message>
    <message>
        <source>The server ended the session, and no new log-in can be tried: %1 Nothing was deleted.</source>
        <translation>Der Server hat die Sitzung beendet, und eine neue Anmeldung ist nicht möglich: %1 Es wurde nichts gelöscht.</translation>
    </message>
    <message>
        <source>The server ended the session and a new log-in failed (%1): nothing was deleted.</source>
        <translation>Der Server hat die Sitzung beendet, und eine neue Anmeldung ist fehlgeschlagen (%1): es wurde nichts gelöscht.</translation>
    </message>
    <message>
        <source>The server ended the session, and it gives its messages no lasting ids (UIDL), so the rows cannot be matched to messages again: nothing was deleted. Scan again.</source>
        <translation>Der Server hat die Sitzung beendet, und er vergibt seinen Nachrichten keine dauerhaften IDs (UIDL), daher lassen sich die Zeilen nicht wieder den Nachrichten zuordnen: es wurde nichts gelöscht. Bitte neu suchen.</translation>
    </message>
    <message>
        <source>The server ended the session, and the account has changed since the scan: nothing was deleted. Scan again.</source>
        <translation>Der Server hat die Sitzung beendet, und das Konto hat sich seit der Suche geändert: es wurde nichts gelöscht. Bitte neu suchen.</translation>
    </message>
    <message>
        <source>The server&apos;s list of message ids could not be read again (%1): nothing was deleted.</source>
        <translation>Die Liste der Nachrichten-IDs des Servers ließ sich nicht erneut lesen (%1): es wurde nichts gelöscht.</translation>
    </message>
    <message>
        <source>the deletions could not be recorded in %1</source>
        <translation>die Löschungen konnten nicht in %1 festgehalten werden</translation>
    </message>
</context>
<context>
    <name>PurgeSummary</name>
    <message>
        <source>Nothing was deleted: %1</source>
        <translation>Nichts wurde gelöscht: %1</translation>
    </message>
    <message>
        <source>Nothing was deleted: %1, so the session was closed without QUIT.</source>
        <translation>Nichts wurde gelöscht: %1, daher wurde die Sitzung ohne QUIT geschlossen.</translation>
    </message>
    <message>
        <source>Cancelled: nothing was deleted.</source>
        <translation>Abgebrochen: Nichts wurde gelöscht.</translation>
    </message>
    <message>
        <source>The server did not confirm the deletions (QUIT): the %1 messages marked may or may not have been deleted. Recently Deleted lists them as possibly deleted until the next scan of the account settles it.</source>
        <translation>Der Server hat die Löschungen nicht bestätigt (QUIT): Die %1 markierten Nachrichten sind vielleicht gelöscht, vielleicht nicht. „Kürzlich gelöscht“ führt sie als möglicherweise gelöscht, bis die nächste Suche des Kontos es klärt.</translation>
    </message>
    <message>
        <source>The server did not confirm the deletions: the checked messages may still be on the server.</source>
        <translation>Der Server hat die Löschungen nicht bestätigt: Die markierten Nachrichten sind möglicherweise noch auf dem Server.</translation>
    </message>
    <message>
        <source>%1 deleted, %2 refused by the server, %3 not deleted (changed on the server)</source>
        <translation>%1 gelöscht, %2 vom Server abgelehnt, %3 nicht gelöscht (auf dem Server geändert)</translation>
    </message>
    <message>
        <source>, %1 already removed</source>
        <translation>, %1 bereits entfernt</translation>
    </message>
    <message>
        <source>, %1 not deleted (could not be read or found)</source>
        <translation>, %1 nicht gelöscht (nicht lesbar oder nicht gefunden)</translation>
    </message>
    <message>
        <source>, %1 not deleted (no copy could be kept)</source>
        <translation>, %1 nicht gelöscht (keine Kopie konnte aufbewahrt werden)</translation>
    </message>
    <message>
        <source>, %1 not deleted (the copy did not match)</source>
        <translation>, %1 nicht gelöscht (die Kopie stimmte nicht überein)</translation>
    </message>
    <message>
        <source>; %1 checked by Subject only (the server gave no usable id)</source>
        <translation>; %1 nur anhand des Betreffs geprüft (der Server lieferte keine brauchbare ID)</translation>
    </message>
    <message>
        <source> The session was closed without QUIT, so nothing was deleted.</source>
        <translation> Die Sitzung wurde ohne QUIT geschlossen, daher wurde nichts gelöscht.</translation>
    </message>
    <message>
        <source>. The deletions were not recorded: Recently Deleted lists them as possibly deleted until the next scan of the account settles them.</source>
        <translation>. Die Löschungen wurden nicht vermerkt: „Kürzlich gelöscht“ führt sie als möglicherweise gelöscht, bis die nächste Suche des Kontos sie klärt.</translation>
    </message>
</context>
<context>
    <name>Scan</name>
    <message>
        <source>Unknown log-in method &quot;%1&quot; (Authentication): choose one under Manage Account.</source>
        <translation>Unbekanntes Anmeldeverfahren „%1“ (Authentication): Wählen Sie eines unter „Konto verwalten“.</translation>
    </message>
    <message>
        <source>This account signs in with OAuth 2.0, and nobody has signed in for it yet: sign in under Manage Account.</source>
        <translation>Dieses Konto meldet sich mit OAuth 2.0 an, und es hat sich noch niemand dafür angemeldet: Melden Sie sich unter „Konto verwalten“ an.</translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation>Server nicht gefunden</translation>
    </message>
    <message>
        <source>Unknown connection security setting &quot;%1&quot;: choose one under Manage Account.</source>
        <translation>Unbekannte Einstellung zur Verbindungssicherheit „%1“: Wählen Sie eine unter „Konto verwalten“.</translation>
    </message>
    <message>
        <source>The server reports more than %1 messages, more than one scan can show: nothing was read.</source>
        <translation>Der Server meldet mehr als %1 Nachrichten, mehr als eine Suche zeigen kann: es wurde nichts gelesen.</translation>
    </message>
    <message>
        <source>Server Refused STAT Response</source>
        <translation>Der Server hat STAT abgelehnt</translation>
    </message>
    <message>
        <source>No emails waiting for you at the Server</source>
        <translation>Auf dem Server warten keine Nachrichten auf Sie</translation>
    </message>
    <message>
        <source>The server&apos;s message list (LIST) cannot be used: %1</source>
        <translation>Die Nachrichtenliste des Servers (LIST) ist unbrauchbar: %1</translation>
    </message>
    <message>
        <source>The server refused to list its messages (LIST): %1</source>
        <translation>Der Server hat es abgelehnt, seine Nachrichten aufzulisten (LIST): %1</translation>
    </message>
    <message>
        <source>The server&apos;s list of message ids (UIDL) cannot be used: %1</source>
        <translation>Die Liste der Nachrichten-IDs des Servers (UIDL) ist unbrauchbar: %1</translation>
    </message>
    <message>
        <source>The connection was lost.</source>
        <translation>Die Verbindung ist abgebrochen.</translation>
    </message>
    <message>
        <source>The server&apos;s headers are larger than one scan can hold (%1 MiB); the scan stopped at message %2.</source>
        <translation>Die Kopfzeilen des Servers sind größer, als eine Suche fassen kann (%1 MiB); die Suche endete bei Nachricht %2.</translation>
    </message>
    <message>
        <source>The server refused LIST %1: %2</source>
        <translation>Der Server hat LIST %1 abgelehnt: %2</translation>
    </message>
    <message>
        <source>The scan failed.</source>
        <translation>Die Suche ist fehlgeschlagen.</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>The settings folder %1 is a symbolic link; Mavix does not use settings through a link. Replace it with the real folder.</source>
        <translation>Der Einstellungsordner %1 ist eine symbolische Verknüpfung; Mavix verwendet keine Einstellungen über eine Verknüpfung. Ersetzen Sie ihn durch den echten Ordner.</translation>
    </message>
    <message>
        <source>The settings file %1 is a symbolic link; Mavix does not use settings through a link. Replace it with the real file.</source>
        <translation>Die Einstellungsdatei %1 ist eine symbolische Verknüpfung; Mavix verwendet keine Einstellungen über eine Verknüpfung. Ersetzen Sie sie durch die echte Datei.</translation>
    </message>
    <message>
        <source>The settings file or folder %1 belongs to another user or is not a plain file or folder; Mavix does not use it.</source>
        <translation>Die Einstellungsdatei oder der Einstellungsordner %1 gehört einem anderen Benutzer oder ist keine gewöhnliche Datei bzw. kein gewöhnlicher Ordner; Mavix verwendet sie nicht.</translation>
    </message>
</context>
<context>
    <name>Setup</name>
    <message>
        <source>no answer in time</source>
        <translation>keine rechtzeitige Antwort</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>die Datei ist zu groß</translation>
    </message>
    <message>
        <source>redirected to an address that is not https</source>
        <translation>auf eine Adresse umgeleitet, die nicht https ist</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>der Server antwortete %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The configuration file is nested too deeply.</source>
        <translation>Die Konfigurationsdatei ist zu tief verschachtelt.</translation>
    </message>
    <message>
        <source>The file is not a mail configuration file.</source>
        <translation>Die Datei ist keine Mail-Konfigurationsdatei.</translation>
    </message>
    <message>
        <source>The configuration file lists too many servers.</source>
        <translation>Die Konfigurationsdatei nennt zu viele Server.</translation>
    </message>
    <message>
        <source>The configuration file is too large.</source>
        <translation>Die Konfigurationsdatei ist zu groß.</translation>
    </message>
    <message>
        <source>A value in the configuration file is too long.</source>
        <translation>Ein Wert in der Konfigurationsdatei ist zu lang.</translation>
    </message>
    <message>
        <source>The configuration file is not well-formed XML (line %1).</source>
        <translation>Die Konfigurationsdatei ist kein wohlgeformtes XML (Zeile %1).</translation>
    </message>
    <message>
        <source>The configuration names no POP3 server Mavix can use.</source>
        <translation>Die Konfiguration nennt keinen POP3-Server, den Mavix nutzen kann.</translation>
    </message>
    <message>
        <source>The provider asks you to switch access on first.</source>
        <translation>Der Anbieter bittet Sie, den Zugriff zuerst einzuschalten.</translation>
    </message>
    <message>
        <source>Switch POP on in Gmail&apos;s settings (Forwarding and POP/IMAP) first. Sign in with OAuth 2.0, or choose Automatic and use an app password (it needs 2-Step Verification).</source>
        <translation>Schalten Sie zuerst POP in den Gmail-Einstellungen (Weiterleitung und POP/IMAP) ein. Melden Sie sich mit OAuth 2.0 an, oder wählen Sie „Automatisch“ und verwenden Sie ein App-Passwort (dafür ist die Bestätigung in zwei Schritten nötig).</translation>
    </message>
    <message>
        <source>Create an app password at the provider and enter it as the password.</source>
        <translation>Erstellen Sie beim Anbieter ein App-Passwort und geben Sie es als Passwort ein.</translation>
    </message>
    <message>
        <source>Switch POP3 and IMAP access on in GMX&apos;s settings first.</source>
        <translation>Schalten Sie zuerst den Zugriff per POP3 und IMAP in den GMX-Einstellungen ein.</translation>
    </message>
    <message>
        <source>Switch POP access on in Zoho Mail&apos;s settings first; with two-factor authentication, use an app password.</source>
        <translation>Schalten Sie zuerst den POP-Zugriff in den Einstellungen von Zoho Mail ein; mit Zwei-Faktor-Authentifizierung verwenden Sie ein App-Passwort.</translation>
    </message>
    <message>
        <source>Microsoft takes only OAuth 2.0 sign-in. POP may have to be switched on in Outlook.com&apos;s settings (Mail &gt; Forwarding and IMAP).</source>
        <translation>Microsoft nimmt nur die Anmeldung mit OAuth 2.0 an. POP muss eventuell in den Einstellungen von Outlook.com eingeschaltet werden (E-Mail &gt; Weiterleitung und IMAP).</translation>
    </message>
    <message>
        <source>Microsoft takes only OAuth 2.0 sign-in; your organisation may have to allow POP for your mailbox.</source>
        <translation>Microsoft nimmt nur die Anmeldung mit OAuth 2.0 an; Ihre Organisation muss POP für Ihr Postfach eventuell erst erlauben.</translation>
    </message>
    <message>
        <source>Fastmail takes only an app password here, never your account&apos;s own password.</source>
        <translation>Fastmail nimmt hier nur ein App-Passwort an, nie das eigene Passwort Ihres Kontos.</translation>
    </message>
    <message>
        <source>Switch POP3 and IMAP access on in WEB.DE&apos;s settings first.</source>
        <translation>Schalten Sie zuerst den Zugriff per POP3 und IMAP in den WEB.DE-Einstellungen ein.</translation>
    </message>
    <message>
        <source>iCloud Mail offers no POP3 access (IMAP only), so Mavix cannot screen it.</source>
        <translation>iCloud Mail bietet keinen POP3-Zugriff (nur IMAP), daher kann Mavix es nicht prüfen.</translation>
    </message>
    <message>
        <source>The server %1 takes the password without encryption (Security: None): anyone on the way can read it.</source>
        <translation>Der Server %1 nimmt das Passwort unverschlüsselt entgegen (Sicherheit: Keine): Jeder auf dem Weg kann es lesen.</translation>
    </message>
    <message>
        <source>The server %1 is not in the domain %2: the file sends your password to another domain&apos;s server.</source>
        <translation>Der Server %1 liegt nicht in der Domain %2: Die Datei schickt Ihr Passwort an den Server einer anderen Domain.</translation>
    </message>
</context>
<context>
    <name>Tls</name>
    <message>
        <source>error %1</source>
        <translation>Fehler %1</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>TLS is not available: %1.</source>
        <translation>TLS ist nicht verfügbar: %1.</translation>
    </message>
    <message>
        <source>The system&apos;s trusted certificates cannot be loaded: %1.</source>
        <translation>Die vertrauenswürdigen Zertifikate des Systems lassen sich nicht laden: %1.</translation>
    </message>
    <message>
        <source>The CA certificates in %1 (%2) cannot be read: %3.</source>
        <translation>Die CA-Zertifikate in %1 (%2) lassen sich nicht lesen: %3.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted: %1.</source>
        <translation>Dem Zertifikat des Servers wird nicht vertraut: %1.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted: %1. Its SHA-256 fingerprint is %2; only if your provider confirms that fingerprint, store it with the account to trust this certificate.</source>
        <translation>Dem Zertifikat des Servers wird nicht vertraut: %1. Sein SHA-256-Fingerabdruck ist %2; nur wenn Ihr Anbieter diesen Fingerabdruck bestätigt, speichern Sie ihn beim Konto, um diesem Zertifikat zu vertrauen.</translation>
    </message>
    <message>
        <source>The TLS handshake with the server failed: %1. Check that the port suits the security setting (implicit TLS usually on 995, STARTTLS on 110).</source>
        <translation>Der TLS-Handshake mit dem Server ist fehlgeschlagen: %1. Prüfen Sie, ob der Port zur Sicherheitseinstellung passt (implizites TLS meist auf 995, STARTTLS auf 110).</translation>
    </message>
    <message>
        <source>The server closed the connection during the TLS handshake. Check that the port suits the security setting (implicit TLS usually on 995, STARTTLS on 110).</source>
        <translation>Der Server hat die Verbindung während des TLS-Handshakes geschlossen. Prüfen Sie, ob der Port zur Sicherheitseinstellung passt (implizites TLS meist auf 995, STARTTLS auf 110).</translation>
    </message>
    <message>
        <source>The server did not complete the TLS handshake within %1 seconds.</source>
        <translation>Der Server hat den TLS-Handshake nicht innerhalb von %1 Sekunden abgeschlossen.</translation>
    </message>
    <message>
        <source>The TLS handshake was interrupted.</source>
        <translation>Der TLS-Handshake wurde unterbrochen.</translation>
    </message>
    <message>
        <source>The connection failed during the TLS handshake: %1.</source>
        <translation>Die Verbindung ist während des TLS-Handshakes fehlgeschlagen: %1.</translation>
    </message>
    <message>
        <source>it could not be verified</source>
        <translation>es ließ sich nicht überprüfen</translation>
    </message>
    <message>
        <source>The certificate fingerprint stored with the account is not a SHA-256 fingerprint (64 hex digits).</source>
        <translation>Der beim Konto gespeicherte Zertifikat-Fingerabdruck ist kein SHA-256-Fingerabdruck (64 Hexadezimalziffern).</translation>
    </message>
    <message>
        <source>The server name &quot;%1&quot; cannot be checked against a certificate.</source>
        <translation>Der Servername „%1“ lässt sich nicht gegen ein Zertifikat prüfen.</translation>
    </message>
    <message>
        <source>%1 (it is not valid for %2)</source>
        <translation>%1 (es gilt nicht für %2)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>cannot work in %1; staying in the current folder</source>
        <translation>kann nicht in %1 arbeiten; bleibe im aktuellen Ordner</translation>
    </message>
    <message>
        <source>Usage: mavix [--desktop] [--hidden]
Screens POP3 mailboxes: shows the headers of the waiting mail and deletes
the checked messages on the server before any mail program downloads them.
&quot;message.txt&quot; (the headers of the last scan) and &quot;defaults.txt&quot; (default
filter lists) are written and read in the current folder.

  --desktop   work in $XDG_DATA_HOME/Mavix (what the desktop launcher does)
  --hidden    start in the tray, without the window (what starting at log-in
              does); without a tray or background checks the window shows
  --help      show this text
  --version   show the version
Qt&apos;s own options (-platform, -style, ...) are accepted too.
</source>
        <translation>Aufruf: mavix [--desktop] [--hidden]
Prüft POP3-Postfächer: zeigt die Kopfzeilen der wartenden E-Mails und löscht
die markierten Nachrichten auf dem Server, bevor ein E-Mail-Programm sie abruft.
„message.txt“ (die Kopfzeilen der letzten Suche) und „defaults.txt“ (Standard-
Filterlisten) werden im aktuellen Ordner geschrieben und gelesen.

  --desktop   in $XDG_DATA_HOME/Mavix arbeiten (so startet der Desktop-Starter)
  --hidden    im Infobereich starten, ohne Fenster (so startet die Anmeldung);
              ohne Infobereich oder Prüfung im Hintergrund erscheint das Fenster
  --help      diesen Text zeigen
  --version   die Version zeigen
Qts eigene Optionen (-platform, -style, ...) werden ebenfalls angenommen.
</translation>
    </message>
</context>
<context>
    <name>mavix-cli</name>
    <message>
        <source>warning: the password travelled unencrypted (%1): choose a secure connection or another log-in method</source>
        <translation>Warnung: Das Passwort wurde unverschlüsselt übertragen (%1): Wählen Sie eine sichere Verbindung oder ein anderes Anmeldeverfahren</translation>
    </message>
    <message>
        <source>%1 belongs to the purge command</source>
        <translation>%1 gehört zum Befehl purge</translation>
    </message>
    <message>
        <source>give only one of --suspects, --all and --rows</source>
        <translation>geben Sie nur eines von --suspects, --all und --rows an</translation>
    </message>
    <message>
        <source>--lines wants a number from 1 to %1</source>
        <translation>--lines erwartet eine Zahl von 1 bis %1</translation>
    </message>
    <message>
        <source>--rows wants message numbers such as 1,3,7</source>
        <translation>--rows erwartet Nachrichtennummern wie 1,3,7</translation>
    </message>
    <message>
        <source>--server needs a host name</source>
        <translation>--server braucht einen Hostnamen</translation>
    </message>
    <message>
        <source>--port wants a number from 1 to 65535</source>
        <translation>--port erwartet eine Zahl von 1 bis 65535</translation>
    </message>
    <message>
        <source>--user needs a name</source>
        <translation>--user braucht einen Namen</translation>
    </message>
    <message>
        <source>--security wants none, stls or tls</source>
        <translation>--security erwartet none, stls oder tls</translation>
    </message>
    <message>
        <source>--auth wants auto, user, apop, plain, login, cram-md5, scram-sha-1, scram-sha-256, xoauth2 or oauthbearer</source>
        <translation>--auth erwartet auto, user, apop, plain, login, cram-md5, scram-sha-1, scram-sha-256, xoauth2 oder oauthbearer</translation>
    </message>
    <message>
        <source>--account needs an account&apos;s name</source>
        <translation>--account braucht den Namen eines Kontos</translation>
    </message>
    <message>
        <source>--token-command needs a command</source>
        <translation>--token-command braucht einen Befehl</translation>
    </message>
    <message>
        <source>--tls-fingerprint wants a SHA-256 fingerprint: 64 hex digits, colons allowed</source>
        <translation>--tls-fingerprint erwartet einen SHA-256-Fingerabdruck: 64 Hexadezimalziffern, Doppelpunkte erlaubt</translation>
    </message>
    <message>
        <source>log takes only --tsv and --account</source>
        <translation>log nimmt nur --tsv und --account</translation>
    </message>
    <message>
        <source>accounts takes only --tsv</source>
        <translation>accounts nimmt nur --tsv</translation>
    </message>
    <message>
        <source>authorize takes only --server, --user and --account</source>
        <translation>authorize nimmt nur --server, --user und --account</translation>
    </message>
    <message>
        <source>--lines belongs to the show command</source>
        <translation>--lines gehört zum Befehl show</translation>
    </message>
    <message>
        <source>show takes no %1</source>
        <translation>show nimmt kein %1</translation>
    </message>
    <message>
        <source>give only one of --account and --all-accounts</source>
        <translation>geben Sie nur eines von --account und --all-accounts an</translation>
    </message>
    <message>
        <source>--server, --port, --user, --security, --tls-fingerprint, --auth and --token-command apply to one account: not with --all-accounts</source>
        <translation>--server, --port, --user, --security, --tls-fingerprint, --auth und --token-command gelten für ein Konto: nicht mit --all-accounts</translation>
    </message>
    <message>
        <source>--rows names the messages of one account: not with --all-accounts</source>
        <translation>--rows nennt die Nachrichten eines Kontos: nicht mit --all-accounts</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 nimmt keinen Wert</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>the password is never taken from the command line: set MAVIX_PASSWORD or store it with Mavix&apos;s Manage Account</source>
        <translation>das Passwort wird nie von der Befehlszeile genommen: Setzen Sie MAVIX_PASSWORD oder speichern Sie es mit „Konto verwalten“ in Mavix</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>no command given (scan, purge, log, accounts or authorize)</source>
        <translation>kein Befehl angegeben (scan, purge, log, accounts oder authorize)</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos; (scan, purge, show, log, accounts or authorize)</source>
        <translation>unbekannter Befehl „%1“ (scan, purge, show, log, accounts oder authorize)</translation>
    </message>
    <message>
        <source>show needs a message number</source>
        <translation>show braucht eine Nachrichtennummer</translation>
    </message>
    <message>
        <source>purge needs one of --suspects, --all or --rows N[,N...]</source>
        <translation>purge braucht eines von --suspects, --all oder --rows N[,N...]</translation>
    </message>
    <message>
        <source>cannot write the output</source>
        <translation>die Ausgabe kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>poll failed</source>
        <translation>poll ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>interrupted: scan stopped</source>
        <translation>unterbrochen: Suche angehalten</translation>
    </message>
    <message>
        <source>interrupted: stopping the purge</source>
        <translation>unterbrochen: das Löschen wird angehalten</translation>
    </message>
    <message>
        <source>Waiting for the server (%1 s)...</source>
        <translation>Warte auf den Server (%1 s)...</translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation>Protokollfehler – neu starten</translation>
    </message>
    <message>
        <source>  %1 eMails :   %2 Suspect
</source>
        <translation>  %1 E-Mails :   %2 verdächtig
</translation>
    </message>
    <message>
        <source>the scan failed</source>
        <translation>die Suche ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>there is no message %1 on the server</source>
        <translation>auf dem Server gibt es keine Nachricht %1</translation>
    </message>
    <message>
        <source>at least %1 KB</source>
        <translation>mindestens %1 KB</translation>
    </message>
    <message>
        <source>about %1 KB</source>
        <translation>etwa %1 KB</translation>
    </message>
    <message>
        <source>Attachment: %1 - %2, %3</source>
        <translation>Anhang: %1 - %2, %3</translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation>(ohne Namen)</translation>
    </message>
    <message>
        <source> (!) a program named like a document</source>
        <translation> (!) ein Programm, das wie ein Dokument benannt ist</translation>
    </message>
    <message>
        <source>[cut: the message goes on; --lines %1 shows more]
</source>
        <translation>[gekürzt: die Nachricht geht weiter; --lines %1 zeigt mehr]
</translation>
    </message>
    <message>
        <source>[parts nested too deep, or too many, were not shown]
</source>
        <translation>[zu tief verschachtelte oder zu viele Teile wurden nicht gezeigt]
</translation>
    </message>
    <message>
        <source>there is no message %1 on the server; nothing deleted</source>
        <translation>auf dem Server gibt es keine Nachricht %1; nichts gelöscht</translation>
    </message>
    <message>
        <source>the list has &quot;%1&quot; but the server has &quot;%2&quot;; stopped, nothing further deleted
</source>
        <translation>die Liste hat „%1“, aber der Server hat „%2“; angehalten, nichts weiter gelöscht
</translation>
    </message>
    <message>
        <source>already removed from the server
</source>
        <translation>bereits vom Server entfernt
</translation>
    </message>
    <message>
        <source>the message could not be read or found, so it is left alone
</source>
        <translation>die Nachricht konnte nicht gelesen oder gefunden werden und bleibt daher unberührt
</translation>
    </message>
    <message>
        <source> Not deleted.
</source>
        <translation> Nicht gelöscht.
</translation>
    </message>
    <message>
        <source>the purge had already ended; its deletions stand</source>
        <translation>das Löschen war bereits beendet; seine Löschungen gelten</translation>
    </message>
    <message>
        <source>interrupted while waiting for QUIT&apos;s reply: </source>
        <translation>unterbrochen beim Warten auf die Antwort auf QUIT: </translation>
    </message>
    <message>
        <source>nothing was deleted</source>
        <translation>nichts wurde gelöscht</translation>
    </message>
    <message>
        <source>not deleted: </source>
        <translation>nicht gelöscht: </translation>
    </message>
    <message>
        <source>Nothing deleted yet (%1).
</source>
        <translation>Noch nichts gelöscht (%1).
</translation>
    </message>
    <message>
        <source>no account is named &apos;%1&apos; (see &apos;mavix-cli accounts&apos;)</source>
        <translation>kein Konto heißt „%1“ (siehe „mavix-cli accounts“)</translation>
    </message>
    <message>
        <source>disabled</source>
        <translation>ausgeschaltet</translation>
    </message>
    <message>
        <source>No account is set up yet.
</source>
        <translation>Es ist noch kein Konto eingerichtet.
</translation>
    </message>
    <message>
        <source>Try &apos;mavix-cli --help&apos;.
</source>
        <translation>Siehe „mavix-cli --help“.
</translation>
    </message>
    <message>
        <source>Failed to connect (some field is blank)
</source>
        <translation>Verbindung fehlgeschlagen (ein Feld ist leer)
</translation>
    </message>
    <message>
        <source>authorize needs the account&apos;s server and user name (--server, --user)</source>
        <translation>authorize braucht den Server und den Benutzernamen des Kontos (--server, --user)</translation>
    </message>
    <message>
        <source>Open this address in a browser and sign in:
</source>
        <translation>Öffnen Sie diese Adresse in einem Browser und melden Sie sich an:
</translation>
    </message>
    <message>
        <source>sign-in failed: </source>
        <translation>Anmeldung fehlgeschlagen: </translation>
    </message>
    <message>
        <source>cannot store the refresh token: </source>
        <translation>das Aktualisierungstoken kann nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>Signed in: the refresh token is stored in the keyring.
</source>
        <translation>Angemeldet: Das Aktualisierungstoken liegt im Schlüsselbund.
</translation>
    </message>
    <message>
        <source>Signed in: the refresh token is stored in the settings file %1.
</source>
        <translation>Angemeldet: Das Aktualisierungstoken liegt in der Einstellungsdatei %1.
</translation>
    </message>
    <message>
        <source>no OAuth sign-in is stored for this account: run &apos;mavix-cli authorize&apos; first</source>
        <translation>für dieses Konto ist keine OAuth-Anmeldung gespeichert: Führen Sie zuerst „mavix-cli authorize“ aus</translation>
    </message>
    <message>
        <source>cannot watch for Ctrl-C</source>
        <translation>Strg+C kann nicht überwacht werden</translation>
    </message>
    <message>
        <source>account %1: exit status %2</source>
        <translation>Konto %1: Exit-Status %2</translation>
    </message>
    <message>
        <source>no account is enabled</source>
        <translation>kein Konto ist eingeschaltet</translation>
    </message>
    <message>
        <source>Usage: mavix-cli scan [--tsv] [--raw] [--no-cache] [--account NAME | --all-accounts] [ACCOUNT OPTIONS]
       mavix-cli purge (--suspects | --all | --rows N[,N...]) [--tsv] [--raw] [--no-cache]
                       [--account NAME | --all-accounts] [ACCOUNT OPTIONS]
       mavix-cli show N [--lines L] [--account NAME] [ACCOUNT OPTIONS]
       mavix-cli log [--tsv] [--account NAME]
       mavix-cli accounts [--tsv]
       mavix-cli authorize [--account NAME] [--server HOST] [--user NAME]
       mavix-cli --help
       mavix-cli --version

Screens the POP3 mailbox of a stored Mavix account without downloading any
mail: logs in, fetches only the header block of every waiting message
(TOP n 0) and prints one row per message as it arrives. Rows whose Subject,
size or sender match the stored filter lists are marked as suspects, with
the reason; a sender on the trusted list never is.

Commands:
  scan        Scan the mailbox and list the messages. Nothing is deleted.
  purge       Scan, then delete the selected messages on the server. Before
              each deletion the message&apos;s header is read again and its
              Subject compared with the one the scan listed; at the first
              difference the purge stops and nothing further is deleted.
              Deletions already made are committed when the session ends.
  show N      Scan, then print the start of message N as plain text: its
              From, To, Date and Subject (decoded), its attachments (name,
              type, approximate size; marked (!) where the name hides a
              program behind a document&apos;s extension, as in
              &quot;invoice.pdf.exe&quot;) and the first L lines of its body (TOP N L,
              which leaves the message as it is on the server). HTML is
              shown as text, with each link&apos;s real target in brackets;
              nothing is loaded, opened or saved.
  --lines L   (show) the body lines to fetch, 1 to 2000; else the
              preference &quot;Preview the first L lines&quot; (40 by default)
  log         Print the journal of deletions that Mavix and mavix-cli made,
              oldest first: time, size, From, Subject, why the message
              was deleted, and &quot;copy: PATH&quot; where a copy was kept (POP3
              cannot put a message back; the copy can). With --tsv: the
              journal&apos;s lines as they are kept, time (UTC), account, UIDL,
              size in bytes, From, Subject, reason, escaped like the scan&apos;s
              --tsv output; a message with a kept copy adds a state field
              (empty for a deletion) and the copy&apos;s path. The journal is
              $XDG_STATE_HOME/Mavix/deleted.log (~/.local/state/Mavix).
  accounts    List the stored accounts in their order, one per line: name,
              user@server:port, security (none, stls, tls), log-in method,
              and &quot;disabled&quot; for an account left out of --all-accounts.
              With --tsv: the same fields tab-separated, escaped as the
              scan&apos;s, the last one 1 (enabled) or 0.
  authorize   Sign in to the account&apos;s OAuth 2.0 provider (Google,
              Microsoft, or the custom one of the settings&apos; [OAuth] section)
              in a browser: prints the address to open, waits up to 5
              minutes for the browser to come back to a listener on
              127.0.0.1, then stores the refresh token in the keyring (else
              in the settings file) and says where. The OAuth client ID is
              taken from the settings&apos; [OAuth] section.

Accounts:
  --account NAME      the account to scan, purge, authorize or show the log
                      of: its name, or user@server. Without it, the first
                      account. An unknown name is a usage error.
  --all-accounts      scan or purge every enabled account, one after
                      another. Each --tsv line then begins with the
                      account&apos;s name as an extra field (the other fields
                      keep their places); the table gets a heading per
                      account. Each account uses its stored password
                      (MAVIX_PASSWORD is not used); --rows and the account
                      options below are for one account and not taken.

Selection (purge only, exactly one):
  --suspects          the suspect rows, as Mavix pre-checks them
  --all               every row
  --rows N[,N...]     the listed message numbers; a number the scan did not
                      list is an error and nothing is deleted

Output:
  --tsv       One line per message, tab-separated: number, size, attachment
              mark, Subject, From, Email, Date, To, CC, suspect (1 or 0),
              reason (why the row is suspect, such as
              Subject contains &quot;HONEY&quot;; empty when it is not).
              Texts are UTF-8. Inside a text, backslash, tab, CR and LF are
              written as \\, \t, \r and \n, and every other control
              character (C0, DEL, and the C1 controls U+0080-U+009F) as
              \xHH, its code in two hex digits, so no server text can send
              escape sequences to a terminal.
              After the rows, purge adds one line per selected message:
                deleted&lt;TAB&gt;N
                refused&lt;TAB&gt;N&lt;TAB&gt;server reply
                mismatch&lt;TAB&gt;N&lt;TAB&gt;listed Subject&lt;TAB&gt;Subject on the server
  (default)   A table fitted to the terminal width; suspects are marked &apos;*&apos;
              and their reason shown when the terminal is wide enough.
              Control characters in server texts are shown as blanks.
  --raw       Subject, From, To and CC as the server sent them: encoded
              words (=?UTF-8?B?...?=) are not decoded, and the bytes are
              converted from Windows-1252 to UTF-8. Without it they are
              decoded as a mail program shows them (RFC 2047 encoded words;
              UTF-8 header bytes; else Windows-1252).
  The scan&apos;s status text and every error go to standard error.

Header cache:
  The header blocks a scan read are kept per account in
  $XDG_CACHE_HOME/Mavix/headers-USER@SERVER-HASH (~/.cache/Mavix), keyed by
  the server&apos;s message ids (UIDL) and sizes; the next scan fetches only the
  messages it has not seen. A purge still reads every message again first.
  Deleting the file clears it.
  --no-cache  fetch every header block again, ignoring the cache, and
              write the cache anew

Account (for this run only, on the chosen account; nothing is saved):
  --server HOST       POP3 server name or address
  --port PORT         TCP port (the stored one, else 110)
  --user NAME         mailbox user name
  --security MODE     none: plain POP3; stls: STARTTLS on the plain port
                      (RFC 2595); tls: TLS from the start (RFC 8314). The
                      stored setting, else none. Without --port, a stored
                      port of 110 becomes 995 for tls, and 995 becomes 110
                      for the others. A connection that cannot be secured
                      fails; it never falls back to plain text.
  --tls-fingerprint HEX
                      trust the server&apos;s certificate with this SHA-256
                      fingerprint (64 hex digits, colons allowed) even when
                      it does not verify, as for a self-signed certificate;
                      an empty HEX ignores a stored fingerprint
  --auth METHOD       how to log in: auto (the strongest the server offers),
                      user (USER/PASS), apop, plain, login, cram-md5,
                      scram-sha-1, scram-sha-256, xoauth2 or oauthbearer
                      (OAuth 2.0 access tokens). The stored choice, else auto.
  --token-command CMD
                      run CMD (split into words like a shell&apos;s, but not run
                      by one) for each log-in and use its standard output as
                      the OAuth 2.0 access token; without it, the OAuth
                      methods use the refresh token &quot;mavix-cli authorize&quot;
                      stored
The password is taken from the environment variable MAVIX_PASSWORD when it is
set, else from the desktop&apos;s keyring (Secret Service), else from the settings
file; never from the command line.
Certificates are verified against the system&apos;s trusted CAs and the server
name. MAVIX_TLS_CA_FILE may name a PEM file of further CAs to trust (for a
private CA, or for tests).

Settings are those of the desktop program (the account, the filter lists and
the preference &quot;Automatically Set the Filter lists to the Default on Launch&quot;).
&quot;defaults.txt&quot; is read from, and the header dump &quot;message.txt&quot; written to, the
current directory.

Ctrl-C during the scan stops it. Ctrl-C during a purge stops it at once:
before its QUIT the session is closed without QUIT, so nothing at all is
deleted; once QUIT is sent the server may already be deleting, and the
messages are then reported, and journaled, as possibly deleted. A second
Ctrl-C, or SIGTERM, leaves at once.

Before its QUIT a purge writes the messages it marked to the journal of
deletions (&quot;mavix-cli log&quot;) as pending; QUIT&apos;s answer makes them deleted. When
the answer never comes they stay &quot;possibly deleted&quot; until the next scan of
the account settles them by their ids. When the journal cannot be written,
the session is closed without QUIT and nothing is deleted. One purge of an
account runs at a time; a second one waits a few seconds, then gives up.

A purge prints &quot;deleted N&quot; only for deletions the server confirmed at QUIT,
&quot;possibly deleted N&quot; (with --tsv &quot;unconfirmed N&quot;) when QUIT went out but its
answer did not come, &quot;refused N&quot; for a DELE the server refused, &quot;mismatch N&quot; where it stopped
because the message changed (its Subject or its id), &quot;gone N&quot; for a message
another client had removed already, and &quot;skipped N&quot; for one it could not read
or find. It then says on stderr how many were deleted, refused and not
deleted, and which checked messages are still on the server. When the
server&apos;s replies stop matching the commands (late, doubled or malformed), the
session is closed without QUIT: nothing at all is deleted, and it says so.

Exit status:
  0    the scan (and the purge) ended normally, also when no mail was waiting
  1    the scan failed (server not found, connection not secured, log-in or
       STAT refused, ...), a checked message was not deleted (refused, or the
       session broke), the server did not confirm the purge&apos;s QUIT (so
       deletions may or may not have been made), the journal of deletions
       could not be written (nothing deleted), another purge of the account
       was running, the output could not be written, or authorize could
       not sign in or store the refresh token
  2    usage error
  3    the purge stopped on a Subject mismatch
  130  interrupted by Ctrl-C
  143  ended by SIGTERM
With --all-accounts, the worst of the accounts&apos; statuses, from best to
worst: 0, 3, 1; Ctrl-C or SIGTERM stops at the account it interrupts and
gives 130 or 143.
</source>
        <translation>Aufruf: mavix-cli scan [--tsv] [--raw] [--no-cache] [--account NAME | --all-accounts] [KONTO-OPTIONEN]
        mavix-cli purge (--suspects | --all | --rows N[,N...]) [--tsv] [--raw] [--no-cache]
                        [--account NAME | --all-accounts] [KONTO-OPTIONEN]
        mavix-cli show N [--lines L] [--account NAME] [KONTO-OPTIONEN]
        mavix-cli log [--tsv] [--account NAME]
        mavix-cli accounts [--tsv]
        mavix-cli authorize [--account NAME] [--server HOST] [--user NAME]
        mavix-cli --help
        mavix-cli --version

Prüft das POP3-Postfach eines gespeicherten Mavix-Kontos, ohne E-Mails
herunterzuladen: meldet sich an, ruft nur den Kopfbereich jeder wartenden
Nachricht ab (TOP n 0) und gibt pro Nachricht eine Zeile aus, sobald sie
eintrifft. Zeilen, deren Betreff, Größe oder Absender auf die gespeicherten
Filterlisten passt, werden mit Grund als verdächtig markiert; ein Absender
auf der Liste vertrauenswürdiger Absender nie.

Befehle:
  scan        Das Postfach durchsuchen und die Nachrichten auflisten. Es wird
              nichts gelöscht.
  purge       Durchsuchen, dann die gewählten Nachrichten auf dem Server
              löschen. Vor jedem Löschen wird der Kopf der Nachricht erneut
              gelesen und ihr Betreff mit dem der Liste verglichen; beim
              ersten Unterschied hält purge an und löscht nichts weiter.
              Bereits erfolgte Löschungen werden am Ende der Sitzung wirksam.
  show N      Durchsuchen, dann den Anfang der Nachricht N als Text ausgeben:
              From, To, Date und Subject (dekodiert), ihre Anhänge (Name,
              Typ, ungefähre Größe; mit (!) markiert, wo der Name ein
              Programm hinter der Endung eines Dokuments versteckt, wie in
              &quot;invoice.pdf.exe&quot;) und die ersten L Zeilen des Textes (TOP N L,
              das die Nachricht auf dem Server unverändert lässt). HTML wird
              als Text gezeigt, mit dem wirklichen Ziel jedes Links in
              Klammern; nichts wird geladen, geöffnet oder gespeichert.
  --lines L   (show) die abzurufenden Textzeilen, 1 bis 2000; sonst die
              Einstellung &quot;Vorschau der ersten L Zeilen&quot; (Standard 40)
  log         Das Protokoll der Löschungen von Mavix und mavix-cli ausgeben,
              älteste zuerst: Zeit, Größe, From, Subject, warum die Nachricht
              gelöscht wurde, und &quot;copy: PFAD&quot;, wo eine Kopie aufbewahrt wurde
              (POP3 kann keine Nachricht zurücklegen; die Kopie schon). Mit
              --tsv: die Zeilen des Protokolls, wie sie gespeichert sind, Zeit
              (UTC), Konto, UIDL, Größe in Bytes, From, Subject, Grund,
              maskiert wie die --tsv-Ausgabe von scan; eine Nachricht mit
              aufbewahrter Kopie hat zusätzlich ein Statusfeld (leer bei einer
              Löschung) und den Pfad der Kopie. Das Protokoll ist
              $XDG_STATE_HOME/Mavix/deleted.log (~/.local/state/Mavix).
  accounts    Die gespeicherten Konten in ihrer Reihenfolge auflisten, eines
              pro Zeile: Name, user@server:port, Sicherheit (none, stls, tls),
              Anmeldeverfahren, und &quot;disabled&quot; für ein Konto, das
              --all-accounts auslässt. Mit --tsv: dieselben Felder durch
              Tabulatoren getrennt, maskiert wie bei scan, das letzte 1
              (eingeschaltet) oder 0.
  authorize   Beim OAuth-2.0-Anbieter des Kontos (Google, Microsoft oder dem
              eigenen aus dem Abschnitt [OAuth] der Einstellungen) in einem
              Browser anmelden: gibt die zu öffnende Adresse aus, wartet bis
              zu 5 Minuten, bis der Browser zu einem Listener auf 127.0.0.1
              zurückkehrt, speichert dann das Aktualisierungstoken im
              Schlüsselbund (sonst in der Einstellungsdatei) und sagt, wo.
              Die OAuth-Client-ID stammt aus dem Abschnitt [OAuth] der
              Einstellungen.

Konten:
  --account NAME      das Konto, das durchsucht, bereinigt, angemeldet oder
                      dessen Protokoll gezeigt wird: sein Name oder
                      user@server. Ohne die Option das erste Konto. Ein
                      unbekannter Name ist ein Aufruffehler.
  --all-accounts      jedes eingeschaltete Konto nacheinander durchsuchen oder
                      bereinigen. Jede --tsv-Zeile beginnt dann mit dem Namen
                      des Kontos als zusätzlichem Feld (die anderen Felder
                      behalten ihre Plätze); die Tabelle bekommt eine
                      Überschrift pro Konto. Jedes Konto nutzt sein
                      gespeichertes Passwort (MAVIX_PASSWORD wird nicht
                      verwendet); --rows und die Konto-Optionen unten gelten
                      für ein Konto und werden nicht angenommen.

Auswahl (nur purge, genau eine):
  --suspects          die verdächtigen Zeilen, wie Mavix sie vormarkiert
  --all               jede Zeile
  --rows N[,N...]     die genannten Nachrichtennummern; eine Nummer, die die
                      Suche nicht aufgelistet hat, ist ein Fehler, und nichts
                      wird gelöscht

Ausgabe:
  --tsv       Eine Zeile pro Nachricht, durch Tabulatoren getrennt: Nummer,
              Größe, Anhangsmarke, Subject, From, Email, Date, To, CC,
              verdächtig (1 oder 0), Grund (warum die Zeile verdächtig ist,
              etwa Subject contains &quot;HONEY&quot;; leer, wenn nicht).
              Texte sind UTF-8. Innerhalb eines Textes werden Backslash,
              Tabulator, CR und LF als \\, \t, \r und \n geschrieben und jedes
              andere Steuerzeichen (C0, DEL und die C1-Steuerzeichen
              U+0080-U+009F) als \xHH, sein Code in zwei Hexadezimalziffern,
              sodass kein Servertext Escape-Sequenzen an ein Terminal senden
              kann.
              Nach den Zeilen fügt purge eine Zeile pro gewählter Nachricht an:
                deleted&lt;TAB&gt;N
                refused&lt;TAB&gt;N&lt;TAB&gt;Antwort des Servers
                mismatch&lt;TAB&gt;N&lt;TAB&gt;gelisteter Betreff&lt;TAB&gt;Betreff auf dem Server
  (Standard)  Eine an die Terminalbreite angepasste Tabelle; Verdächtige sind
              mit &apos;*&apos; markiert, und ihr Grund wird gezeigt, wenn das Terminal
              breit genug ist. Steuerzeichen in Servertexten werden als
              Leerzeichen gezeigt.
  --raw       Subject, From, To und CC, wie der Server sie gesendet hat:
              kodierte Wörter (=?UTF-8?B?...?=) werden nicht dekodiert, und
              die Bytes werden von Windows-1252 nach UTF-8 umgewandelt. Ohne
              die Option werden sie dekodiert, wie ein E-Mail-Programm sie
              zeigt (kodierte Wörter nach RFC 2047; UTF-8-Bytes im Kopf;
              sonst Windows-1252).
  Der Statustext der Suche und jeder Fehler gehen auf die Standardfehlerausgabe.

Kopfzeilen-Cache:
  Die Kopfbereiche, die eine Suche gelesen hat, werden pro Konto in
  $XDG_CACHE_HOME/Mavix/headers-USER@SERVER-HASH (~/.cache/Mavix) aufbewahrt,
  geordnet nach den Nachrichten-IDs des Servers (UIDL) und Größen; die nächste
  Suche ruft nur die Nachrichten ab, die sie noch nicht gesehen hat. Ein purge
  liest trotzdem zuerst jede Nachricht erneut. Das Löschen der Datei leert ihn.
  --no-cache  jeden Kopfbereich erneut abrufen, ohne den Cache, und den Cache
              neu schreiben

Konto (nur für diesen Lauf, auf dem gewählten Konto; nichts wird gespeichert):
  --server HOST       Name oder Adresse des POP3-Servers
  --port PORT         TCP-Port (der gespeicherte, sonst 110)
  --user NAME         Benutzername des Postfachs
  --security MODE     none: einfaches POP3; stls: STARTTLS auf dem einfachen
                      Port (RFC 2595); tls: TLS von Anfang an (RFC 8314). Die
                      gespeicherte Einstellung, sonst none. Ohne --port wird
                      ein gespeicherter Port 110 bei tls zu 995 und 995 bei
                      den anderen zu 110. Eine Verbindung, die sich nicht
                      sichern lässt, schlägt fehl; sie fällt nie auf Klartext
                      zurück.
  --tls-fingerprint HEX
                      dem Zertifikat des Servers mit diesem SHA-256-
                      Fingerabdruck vertrauen (64 Hexadezimalziffern,
                      Doppelpunkte erlaubt), auch wenn es sich nicht prüfen
                      lässt, wie bei einem selbst signierten Zertifikat; ein
                      leeres HEX übergeht einen gespeicherten Fingerabdruck
  --auth METHOD       wie angemeldet wird: auto (das stärkste Verfahren, das
                      der Server anbietet), user (USER/PASS), apop, plain,
                      login, cram-md5, scram-sha-1, scram-sha-256, xoauth2
                      oder oauthbearer (OAuth-2.0-Zugriffstoken). Die
                      gespeicherte Wahl, sonst auto.
  --token-command CMD
                      CMD (in Wörter zerlegt wie von einer Shell, aber nicht
                      von einer ausgeführt) bei jeder Anmeldung ausführen und
                      seine Standardausgabe als OAuth-2.0-Zugriffstoken
                      verwenden; ohne die Option nutzen die OAuth-Verfahren
                      das Aktualisierungstoken, das &quot;mavix-cli authorize&quot;
                      gespeichert hat
Das Passwort kommt aus der Umgebungsvariablen MAVIX_PASSWORD, wenn sie gesetzt
ist, sonst aus dem Schlüsselbund des Desktops (Secret Service), sonst aus der
Einstellungsdatei; nie von der Befehlszeile.
Zertifikate werden gegen die vertrauenswürdigen Zertifizierungsstellen des
Systems und den Servernamen geprüft. MAVIX_TLS_CA_FILE kann eine PEM-Datei mit
weiteren vertrauenswürdigen Zertifizierungsstellen nennen (für eine private
Zertifizierungsstelle oder für Tests).

Die Einstellungen sind die des Desktop-Programms (das Konto, die Filterlisten
und die Einstellung &quot;Filterlisten beim Start automatisch auf den Standard
setzen&quot;). &quot;defaults.txt&quot; wird aus dem aktuellen Verzeichnis gelesen und der
Kopfzeilen-Auszug &quot;message.txt&quot; dorthin geschrieben.

Strg+C während der Suche hält sie an. Strg+C während eines purge hält ihn
sofort an: vor seinem QUIT wird die Sitzung ohne QUIT geschlossen, also wird
gar nichts gelöscht; sobald QUIT gesendet ist, löscht der Server vielleicht
schon, und die Nachrichten werden dann als möglicherweise gelöscht gemeldet und
protokolliert. Ein zweites Strg+C oder SIGTERM beendet sofort.

Vor seinem QUIT schreibt purge die markierten Nachrichten als ausstehend ins
Protokoll der Löschungen (&quot;mavix-cli log&quot;); die Antwort auf QUIT macht sie zu
gelöschten. Kommt die Antwort nie, bleiben sie &quot;möglicherweise gelöscht&quot;, bis
die nächste Suche des Kontos sie anhand ihrer IDs klärt. Kann das Protokoll
nicht geschrieben werden, wird die Sitzung ohne QUIT geschlossen und nichts
gelöscht. Pro Konto läuft nur ein purge zugleich; ein zweiter wartet einige
Sekunden und gibt dann auf.

Ein purge gibt &quot;deleted N&quot; nur für Löschungen aus, die der Server bei QUIT
bestätigt hat, &quot;possibly deleted N&quot; (mit --tsv &quot;unconfirmed N&quot;), wenn QUIT
hinausging, aber keine Antwort kam, &quot;refused N&quot; für ein vom Server abgelehntes
DELE, &quot;mismatch N&quot;, wo er anhielt, weil sich die Nachricht geändert hat (ihr
Betreff oder ihre ID), &quot;gone N&quot; für eine Nachricht, die ein anderer Client
schon entfernt hatte, und &quot;skipped N&quot; für eine, die er nicht lesen oder finden
konnte. Danach sagt er auf stderr, wie viele gelöscht, abgelehnt und nicht
gelöscht wurden und welche markierten Nachrichten noch auf dem Server sind.
Passen die Antworten des Servers nicht mehr zu den Befehlen (verspätet,
doppelt oder fehlerhaft), wird die Sitzung ohne QUIT geschlossen: Gar nichts
wird gelöscht, und das wird gemeldet.

Exit-Status:
  0    die Suche (und das Löschen) endete normal, auch wenn keine E-Mail wartete
  1    die Suche schlug fehl (Server nicht gefunden, Verbindung nicht
       gesichert, Anmeldung oder STAT abgelehnt, ...), eine markierte
       Nachricht wurde nicht gelöscht (abgelehnt, oder die Sitzung brach ab),
       der Server bestätigte das QUIT des purge nicht (Löschungen sind also
       vielleicht erfolgt, vielleicht nicht), das Protokoll der Löschungen
       konnte nicht geschrieben werden (nichts gelöscht), ein anderer purge
       des Kontos lief, die Ausgabe konnte nicht geschrieben werden, oder
       authorize konnte sich nicht anmelden oder das Aktualisierungstoken
       nicht speichern
  2    Aufruffehler
  3    purge hielt bei einem abweichenden Betreff an
  130  durch Strg+C unterbrochen
  143  durch SIGTERM beendet
Mit --all-accounts der schlechteste Status der Konten, vom besten zum
schlechtesten: 0, 3, 1; Strg+C oder SIGTERM hält bei dem Konto an, das es
unterbricht, und ergibt 130 oder 143.
</translation>
    </message>
    <message>
        <source>%1 accounts are named &apos;%2&apos;; give each its own name:</source>
        <translation>%1 Konten heißen „%2“; geben Sie jedem einen eigenen Namen:</translation>
    </message>
</context>
</TS>
