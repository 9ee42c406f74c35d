<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AccountScreening</name>
    <message>
        <source>failed: some field of the account is blank</source>
        <translation>échec : un champ du compte est vide</translation>
    </message>
    <message>
        <source>scanning…</source>
        <translation>analyse en cours…</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>arrêté</translation>
    </message>
    <message>
        <source>removing checked items…</source>
        <translation>suppression des messages cochés…</translation>
    </message>
    <message>
        <source>%1 messages, %2 suspect</source>
        <translation>%1 messages, %2 suspects</translation>
    </message>
    <message>
        <source>failed: </source>
        <translation>échec : </translation>
    </message>
    <message>
        <source>scanning: </source>
        <translation>analyse en cours : </translation>
    </message>
    <message>
        <source> (the server ended the session: a purge logs in again)</source>
        <translation> (le serveur a mis fin à la session : une suppression se reconnecte)</translation>
    </message>
    <message>
        <source>the server ended the session and gives no lasting ids: scan again</source>
        <translation>le serveur a mis fin à la session et ne donne pas d&apos;identifiants durables : analysez à nouveau</translation>
    </message>
    <message>
        <source>waiting for the server (%1 s)…</source>
        <translation>attente du serveur (%1 s)…</translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation>Serveur introuvable</translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation>Erreur de protocole - redémarrez</translation>
    </message>
    <message>
        <source>failed: sign in under Manage Account first</source>
        <translation>échec : connectez-vous d’abord sous Gérer le compte</translation>
    </message>
</context>
<context>
    <name>Autostart</name>
    <message>
        <source>Could not remove %1.</source>
        <translation>Impossible de supprimer %1.</translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>Impossible d&apos;écrire %1 : %2.</translation>
    </message>
</context>
<context>
    <name>BackgroundCheck</name>
    <message>
        <source>%1 message waiting, %2 suspect</source>
        <translation>%1 message en attente, %2 suspect</translation>
    </message>
    <message>
        <source>%1 messages waiting, %2 suspect</source>
        <translation>%1 messages en attente, %2 suspects</translation>
    </message>
    <message>
        <source>Mavix
The last check failed: %1</source>
        <translation>Mavix
La dernière vérification a échoué : %1</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Mavix</source>
        <translation>À propos de Mavix</translation>
    </message>
    <message>
        <source>What Mavix Does</source>
        <translation>Ce que fait Mavix</translation>
    </message>
    <message>
        <source>Lets you screen incoming emails and delete before downloading</source>
        <translation>Permet de trier les e-mails entrants et de les supprimer avant le téléchargement</translation>
    </message>
    <message>
        <source>Legal Stuff</source>
        <translation>Mentions légales</translation>
    </message>
    <message>
        <source>Mavix comes with no warranty of any kind, and you use it at your own risk.</source>
        <translation>Mavix est fourni sans aucune garantie ; vous l&apos;utilisez à vos propres risques.</translation>
    </message>
    <message>
        <source>Mavix Version 1.5</source>
        <translation>Mavix version 1.5</translation>
    </message>
    <message>
        <source>A 64 bit application</source>
        <translation>Une application 64 bits</translation>
    </message>
    <message>
        <source>A 32 bit application</source>
        <translation>Une application 32 bits</translation>
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
        <translation>Le numéro de port habituel est %1</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatique</translation>
    </message>
    <message>
        <source>Password (USER/PASS)</source>
        <translation>Mot de passe (USER/PASS)</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Compte</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>STARTTLS (STLS)</source>
        <translation>STARTTLS (STLS)</translation>
    </message>
    <message>
        <source>TLS (implicit)</source>
        <translation>TLS (implicite)</translation>
    </message>
    <message>
        <source>Fills in the settings from Mavix&apos;s list of providers or, failing that, from the configuration the address&apos;s domain publishes.</source>
        <translation>Remplit les réglages à partir de la liste de fournisseurs de Mavix ou, à défaut, de la configuration publiée par le domaine de l&apos;adresse.</translation>
    </message>
    <message>
        <source>Open the provider&apos;s help page</source>
        <translation>Ouvrir la page d&apos;aide du fournisseur</translation>
    </message>
    <message>
        <source>Optional. Trusts the server&apos;s certificate with exactly this fingerprint even when it cannot be verified (a self-signed one); enter it only as your provider gives it.</source>
        <translation>Facultatif. Fait confiance au certificat du serveur ayant exactement cette empreinte même s&apos;il ne peut pas être vérifié (certificat auto-signé) ; saisissez-la uniquement telle que votre fournisseur la donne.</translation>
    </message>
    <message>
        <source>Filled in the settings for %1 from %2.</source>
        <translation>Réglages de %1 remplis à partir de %2.</translation>
    </message>
    <message>
        <source> No OAuth 2.0 client is set up, so enter an app password.</source>
        <translation> Aucun client OAuth 2.0 n&apos;est configuré : saisissez donc un mot de passe d&apos;application.</translation>
    </message>
    <message>
        <source>Enter the whole address, such as name@example.org (the domain in plain letters).</source>
        <translation>Saisissez l&apos;adresse complète, par exemple nom@example.org (le domaine en lettres simples).</translation>
    </message>
    <message>
        <source>%1 offers no POP3 access.</source>
        <translation>%1 n&apos;offre pas d&apos;accès POP3.</translation>
    </message>
    <message>
        <source>Mavix&apos;s list of providers</source>
        <translation>la liste de fournisseurs de Mavix</translation>
    </message>
    <message>
        <source>Looking up the settings %1 publishes…</source>
        <translation>Recherche des réglages publiés par %1…</translation>
    </message>
    <message>
        <source>the configuration its domain publishes</source>
        <translation>la configuration publiée par son domaine</translation>
    </message>
    <message>
        <source>No settings were found (%1). Enter the server&apos;s details yourself.</source>
        <translation>Aucun réglage trouvé (%1). Saisissez vous-même les informations du serveur.</translation>
    </message>
    <message>
        <source>The password is kept in the desktop&apos;s keyring.</source>
        <translation>Le mot de passe est conservé dans le trousseau du bureau.</translation>
    </message>
    <message>
        <source>No keyring was found: the password is kept in Mavix&apos;s settings file, readable only by you.</source>
        <translation>Aucun trousseau trouvé : le mot de passe est conservé dans le fichier de réglages de Mavix, lisible par vous seul.</translation>
    </message>
    <message>
        <source>The %1 cannot contain control characters.</source>
        <translation>%1 ne peut pas contenir de caractères de contrôle.</translation>
    </message>
    <message>
        <source>The %1 can be at most %2 characters long; this one has %3.</source>
        <translation>%1 peut compter au plus %2 caractères ; celui-ci en a %3.</translation>
    </message>
    <message>
        <source>The %1 can only hold Western (Windows-1252) characters.</source>
        <translation>%1 ne peut contenir que des caractères occidentaux (Windows-1252).</translation>
    </message>
    <message>
        <source>The server name cannot contain control characters.</source>
        <translation>Le nom du serveur ne peut pas contenir de caractères de contrôle.</translation>
    </message>
    <message>
        <source>The server name can only hold Western (Windows-1252) characters.</source>
        <translation>Le nom du serveur ne peut contenir que des caractères occidentaux (Windows-1252).</translation>
    </message>
    <message>
        <source>user name</source>
        <translation>Le nom d&apos;utilisateur</translation>
    </message>
    <message>
        <source>password</source>
        <translation>Le mot de passe</translation>
    </message>
    <message>
        <source>Enter the port as a whole number from 1 to 65535.</source>
        <translation>Saisissez le port sous forme d&apos;entier de 1 à 65535.</translation>
    </message>
    <message>
        <source>Enter the SHA-256 fingerprint as 64 hex digits, with or without colons, or leave it empty.</source>
        <translation>Saisissez l&apos;empreinte SHA-256 sous forme de 64 chiffres hexadécimaux, avec ou sans deux-points, ou laissez le champ vide.</translation>
    </message>
    <message>
        <source>S&amp;et Up</source>
        <translation>Configur&amp;er</translation>
    </message>
    <message>
        <source>Sign &amp;in…</source>
        <translation>Se co&amp;nnecter…</translation>
    </message>
    <message>
        <source>&amp;Server</source>
        <translation>&amp;Serveur</translation>
    </message>
    <message>
        <source>&amp;User Name</source>
        <translation>Nom d&apos;&amp;utilisateur</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>Mot de &amp;passe</translation>
    </message>
    <message>
        <source>E-&amp;mail Address</source>
        <translation>Adresse e-&amp;mail</translation>
    </message>
    <message>
        <source>&amp;Authentication</source>
        <translation>&amp;Authentification</translation>
    </message>
    <message>
        <source>P&amp;ort Number</source>
        <translation>Numér&amp;o de port</translation>
    </message>
    <message>
        <source>Se&amp;curity</source>
        <translation>Sé&amp;curité</translation>
    </message>
    <message>
        <source>Certificate &amp;fingerprint (SHA-256)</source>
        <translation>Empreinte du certi&amp;ficat (SHA-256)</translation>
    </message>
    <message>
        <source>Use the settings %1 publishes?</source>
        <translation>Utiliser les réglages publiés par %1 ?</translation>
    </message>
    <message>
        <source>Use These Settings</source>
        <translation>Utiliser ces réglages</translation>
    </message>
    <message>
        <source>The settings %1 publishes were not used: %2 Enter the server&apos;s details yourself.</source>
        <translation>Les réglages publiés par %1 n&apos;ont pas été utilisés : %2 Saisissez vous-même les informations du serveur.</translation>
    </message>
</context>
<context>
    <name>CAccountEditing</name>
    <message>
        <source>New Account</source>
        <translation>Nouveau compte</translation>
    </message>
    <message>
        <source>Account “%1”</source>
        <translation>Compte « %1 »</translation>
    </message>
    <message>
        <source>The accounts can be changed once no account is being scanned or reviewed: finish or cancel the review first.</source>
        <translation>Les comptes peuvent être modifiés dès qu&apos;aucun compte n&apos;est en cours d&apos;analyse ou de revue : terminez ou annulez d&apos;abord la revue.</translation>
    </message>
    <message>
        <source>Enter the server first.</source>
        <translation>Saisissez d&apos;abord le serveur.</translation>
    </message>
    <message>
        <source>Waiting for the sign-in in your browser…</source>
        <translation>Attente de la connexion dans votre navigateur…</translation>
    </message>
    <message>
        <source>Signed in. Press OK to keep the sign-in with the account.</source>
        <translation>Connecté. Appuyez sur OK pour conserver la connexion avec le compte.</translation>
    </message>
    <message>
        <source>Sign-in failed: </source>
        <translation>Échec de la connexion : </translation>
    </message>
</context>
<context>
    <name>CAccountsDlg</name>
    <message>
        <source>  — off</source>
        <translation>  — désactivé</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Comptes</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>A&amp;jouter...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Modifier...</translation>
    </message>
    <message>
        <source>Re&amp;name...</source>
        <translation>Re&amp;nommer...</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Monter (&amp;U)</translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation>&amp;Descendre</translation>
    </message>
    <message>
        <source>&amp;Switch Off</source>
        <translation>Dés&amp;activer</translation>
    </message>
    <message>
        <source>&amp;Remove...</source>
        <translation>Supp&amp;rimer...</translation>
    </message>
    <message>
        <source>&amp;Switch On</source>
        <translation>&amp;Activer</translation>
    </message>
    <message>
        <source>Mavix keeps at most %1 accounts.</source>
        <translation>Mavix gère au plus %1 comptes.</translation>
    </message>
    <message>
        <source>Rename Account</source>
        <translation>Renommer le compte</translation>
    </message>
    <message>
        <source>Name (empty: %1@%2):</source>
        <translation>Nom (vide : %1@%2) :</translation>
    </message>
    <message>
        <source>Remove the account &quot;%1&quot;?</source>
        <translation>Supprimer le compte « %1 » ?</translation>
    </message>
    <message>
        <source>Its password or sign-in, its remembered choices and its header cache are removed with it. Messages on the server are not touched.</source>
        <translation>Son mot de passe ou sa connexion, ses choix mémorisés et son cache d&apos;en-têtes sont supprimés avec lui. Les messages sur le serveur ne sont pas touchés.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>The account could not be removed: the settings file could not be written.</source>
        <translation>Le compte n&apos;a pas pu être supprimé : le fichier de réglages n&apos;a pas pu être écrit.</translation>
    </message>
    <message>
        <source>Another account is already called “%1”: choose another name.</source>
        <translation>Un autre compte s’appelle déjà « %1 » : choisissez un autre nom.</translation>
    </message>
</context>
<context>
    <name>CFilterEditDlg</name>
    <message>
        <source>Add Filter</source>
        <translation>Ajouter un filtre</translation>
    </message>
    <message>
        <source>contains this text anywhere, even inside a word</source>
        <translation>contient ce texte n&apos;importe où, même à l&apos;intérieur d&apos;un mot</translation>
    </message>
    <message>
        <source>has this text as a whole word or phrase</source>
        <translation>contient ce texte comme mot ou expression entière</translation>
    </message>
    <message>
        <source>matches this regular expression</source>
        <translation>correspond à cette expression régulière</translation>
    </message>
    <message>
        <source>Edit Filter</source>
        <translation>Modifier le filtre</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtre</translation>
    </message>
    <message>
        <source>&amp;Flag a Subject that</source>
        <translation>&amp;Signaler un objet qui</translation>
    </message>
</context>
<context>
    <name>CFilterPage</name>
    <message>
        <source>   (an encoded word that does not decode)</source>
        <translation>   (un mot encodé qui ne se décode pas)</translation>
    </message>
    <message>
        <source>   (whole word)</source>
        <translation>   (mot entier)</translation>
    </message>
    <message>
        <source>   (regular expression)</source>
        <translation>   (expression régulière)</translation>
    </message>
    <message>
        <source>Filters</source>
        <translation>Filtres</translation>
    </message>
    <message>
        <source>&amp;Add Filter</source>
        <translation>&amp;Ajouter un filtre</translation>
    </message>
    <message>
        <source>&amp;Delete Filter</source>
        <translation>&amp;Supprimer le filtre</translation>
    </message>
    <message>
        <source>&amp;Edit Filter</source>
        <translation>Modifi&amp;er le filtre</translation>
    </message>
    <message>
        <source>&amp;Restore Defaults</source>
        <translation>&amp;Rétablir les valeurs par défaut</translation>
    </message>
</context>
<context>
    <name>CFilterSenderPage</name>
    <message>
        <source>Email from an address shown above, or from a domain shown with @ in front (@example.com), is never marked for deletion.</source>
        <translation>Les e-mails d&apos;une adresse affichée ci-dessus, ou d&apos;un domaine affiché précédé de @ (@example.com), ne sont jamais marqués pour suppression.</translation>
    </message>
    <message>
        <source>If the sender&apos;s address is shown above, or its domain with @ in front (@example.com), the email is marked for deletion.</source>
        <translation>Si l&apos;adresse de l&apos;expéditeur figure ci-dessus, ou son domaine précédé de @ (@example.com), l&apos;e-mail est marqué pour suppression.</translation>
    </message>
</context>
<context>
    <name>CFilterSizePage</name>
    <message>
        <source>An entry is a size as the Size column shows it, such as 113K, or &quot;&gt;&quot; and a size a message must exceed, such as &gt;500K or &gt;2M.</source>
        <translation>Une entrée est une taille telle que la colonne Taille l&apos;affiche, par exemple 113K, ou « &gt; » suivi d&apos;une taille qu&apos;un message doit dépasser, par exemple &gt;500K ou &gt;2M.</translation>
    </message>
    <message>
        <source>You can load a default set of filters: click the Restore Defaults button.</source>
        <translation>Vous pouvez charger un jeu de filtres par défaut : cliquez sur le bouton « Rétablir les valeurs par défaut ».</translation>
    </message>
</context>
<context>
    <name>CFilterSubExPage</name>
    <message>
        <source>If the Subject of the email exactly matches the text shown above, the email is marked for deletion.</source>
        <translation>Si l&apos;objet de l&apos;e-mail correspond exactement au texte affiché ci-dessus, l&apos;e-mail est marqué pour suppression.</translation>
    </message>
</context>
<context>
    <name>CFilterSubPage</name>
    <message>
        <source>If the Subject holds an entry&apos;s text (anywhere, or as a whole word, as shown beside it) or matches its regular expression, the email is marked for deletion. Case and accents do not matter.</source>
        <translation>Si l&apos;objet contient le texte d&apos;une entrée (n&apos;importe où, ou comme mot entier, comme indiqué à côté) ou correspond à son expression régulière, l&apos;e-mail est marqué pour suppression. La casse et les accents ne comptent pas.</translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Mavix Help</source>
        <translation>Aide de Mavix</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manuel</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Précédent</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>Sui&amp;vant</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Sommaire</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Rescan Everything</source>
        <translation>&amp;Tout analyser à nouveau</translation>
    </message>
    <message>
        <source>Fetch every message&apos;s header again, ignoring the header cache
Rescan Everything</source>
        <translation>Récupérer à nouveau les en-têtes de chaque message, sans le cache d&apos;en-têtes
Tout analyser à nouveau</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>Quitter l&apos;application
Quitter</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>É&amp;dition</translation>
    </message>
    <message>
        <source>Account
Account</source>
        <translation>Compte
Compte</translation>
    </message>
    <message>
        <source>A&amp;ccounts…</source>
        <translation>C&amp;omptes…</translation>
    </message>
    <message>
        <source>Add, rename, reorder, switch off or remove accounts
Accounts</source>
        <translation>Ajouter, renommer, réordonner, désactiver ou supprimer des comptes
Comptes</translation>
    </message>
    <message>
        <source>Manage Filter
Manage Filter</source>
        <translation>Gérer les filtres
Gérer les filtres</translation>
    </message>
    <message>
        <source>Preferences
Preferences</source>
        <translation>Préférences
Préférences</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>Afficha&amp;ge</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>Barre d&apos;é&amp;tat</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>Afficher ou masquer la barre d&apos;état
Barre d&apos;état</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Recently &amp;Deleted…</source>
        <translation>Récemment &amp;supprimés…</translation>
    </message>
    <message>
        <source>Show the messages Mavix has deleted on the server
Recently Deleted</source>
        <translation>Afficher les messages que Mavix a supprimés sur le serveur
Récemment supprimés</translation>
    </message>
    <message>
        <source>&amp;About Mavix...</source>
        <translation>À &amp;propos de Mavix...</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation>Afficher les informations sur le programme, le numéro de version et le copyright
À propos</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Prêt</translation>
    </message>
    <message>
        <source>Shutting down... May take 20 seconds</source>
        <translation>Fermeture... Peut prendre 20 secondes</translation>
    </message>
    <message>
        <source>&amp;Manage Account</source>
        <translation>&amp;Gérer le compte</translation>
    </message>
    <message>
        <source>Manage &amp;Filter</source>
        <translation>Gérer les &amp;filtres</translation>
    </message>
    <message>
        <source>&amp;Preferences</source>
        <translation>&amp;Préférences</translation>
    </message>
    <message>
        <source>&amp;Columns</source>
        <translation>&amp;Colonnes</translation>
    </message>
    <message>
        <source>Help &amp;Topics</source>
        <translation>&amp;Rubriques d&apos;aide</translation>
    </message>
</context>
<context>
    <name>CMavixView</name>
    <message>
        <source>From the last scan: press Show Mavix to scan again</source>
        <translation>De la dernière analyse : appuyez sur « Afficher Mavix » pour analyser à nouveau</translation>
    </message>
    <message>
        <source>Please set up an account using &quot;Edit&quot; on the menu.</source>
        <translation>Veuillez configurer un compte via « Édition » dans le menu.</translation>
    </message>
    <message>
        <source>server=%1, user=%2 port=%3</source>
        <translation>serveur=%1, utilisateur=%2 port=%3</translation>
    </message>
    <message>
        <source>switched off</source>
        <translation>désactivé</translation>
    </message>
    <message>
        <source>failed: some field of the account is blank</source>
        <translation>échec : un champ du compte est vide</translation>
    </message>
    <message>
        <source>Failed to connect (some field is blank)
</source>
        <translation>Échec de la connexion (un champ est vide)
</translation>
    </message>
    <message>
        <source>Background check failed: </source>
        <translation>Échec de la vérification en arrière-plan : </translation>
    </message>
    <message>
        <source>failed: </source>
        <translation>échec : </translation>
    </message>
    <message>
        <source>failed to connect (still waiting for the server)</source>
        <translation>échec de la connexion (toujours en attente du serveur)</translation>
    </message>
    <message>
        <source>Failed to connect. </source>
        <translation>Échec de la connexion. </translation>
    </message>
    <message>
        <source>  (the password travelled unencrypted)</source>
        <translation>  (le mot de passe a circulé en clair)</translation>
    </message>
    <message>
        <source>Logged in with </source>
        <translation>Connecté avec </translation>
    </message>
    <message>
        <source>: the password travelled unencrypted, so anyone on the way could read it. Choose a secure connection or another log-in method under Manage Account.</source>
        <translation> : le mot de passe a circulé en clair, n&apos;importe qui sur le trajet a pu le lire. Choisissez une connexion sécurisée ou une autre méthode de connexion dans « Gérer le compte ».</translation>
    </message>
    <message>
        <source>The server ended the session: Removed Checked Items will log in again.</source>
        <translation>Le serveur a mis fin à la session : « Supprimer les éléments cochés » se reconnectera.</translation>
    </message>
    <message>
        <source>The server ended the session. It gives its messages no lasting ids (UIDL), so the rows can no longer be matched to messages: scan again.</source>
        <translation>Le serveur a mis fin à la session. Il ne donne pas d&apos;identifiants durables (UIDL) à ses messages, les lignes ne peuvent donc plus être associées aux messages : analysez à nouveau.</translation>
    </message>
    <message>
        <source>  (no lasting ids: scan to remove any)</source>
        <translation>  (pas d&apos;identifiants durables : analysez pour supprimer)</translation>
    </message>
    <message>
        <source>No messages are checked.</source>
        <translation>Aucun message n&apos;est coché.</translation>
    </message>
    <message>
        <source>removing checked items…</source>
        <translation>suppression des messages cochés…</translation>
    </message>
    <message>
        <source>(no subject)</source>
        <translation>(sans objet)</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>et %1 de plus</translation>
    </message>
    <message>
        <source>POP3 cannot put a message back on the server. A copy of each message up to %1 KB is kept for %2 days: Help › Recently Deleted… can save or open it.</source>
        <translation>POP3 ne peut pas remettre un message sur le serveur. Une copie de chaque message jusqu&apos;à %1 Ko est conservée pendant %2 jours : Aide › Récemment supprimés… permet de l&apos;enregistrer ou de l&apos;ouvrir.</translation>
    </message>
    <message>
        <source>POP3 cannot put a message back on the server, and no copy is kept (Edit › Preferences).</source>
        <translation>POP3 ne peut pas remettre un message sur le serveur, et aucune copie n&apos;est conservée (Édition › Préférences).</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>  %1 checked</source>
        <translation>  %1 cochés</translation>
    </message>
    <message>
        <source>Grid has </source>
        <translation>La liste a </translation>
    </message>
    <message>
        <source>
 but Msg has 
</source>
        <translation>
 mais le message a 
</translation>
    </message>
    <message>
        <source>

 Aborting</source>
        <translation>

 Abandon</translation>
    </message>
    <message>
        <source>Waiting for the server (%1 s)…</source>
        <translation>Attente du serveur (%1 s)…</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Prêt</translation>
    </message>
    <message>
        <source>%1 messages, %2 suspect</source>
        <translation>%1 messages, %2 suspects</translation>
    </message>
    <message>
        <source>scanning: </source>
        <translation>analyse en cours : </translation>
    </message>
    <message>
        <source>scanning…</source>
        <translation>analyse en cours…</translation>
    </message>
    <message>
        <source>All accounts
%1 waiting, %2 suspect</source>
        <translation>Tous les comptes
%1 en attente, %2 suspects</translation>
    </message>
    <message>
        <source>Delete %1 message from %2 on the server?</source>
        <translation>Supprimer %1 message de %2 sur le serveur ?</translation>
    </message>
    <message>
        <source>Delete %1 messages from %2 on the server?</source>
        <translation>Supprimer %1 messages de %2 sur le serveur ?</translation>
    </message>
    <message>
        <source>  %1 eMails :   %2 Suspect</source>
        <translation>  %1 e-mails :   %2 suspects</translation>
    </message>
    <message>
        <source>item %1 has order number problem</source>
        <translation>l&apos;élément %1 a un problème de numéro d&apos;ordre</translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation>Serveur introuvable</translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation>Erreur de protocole - redémarrez</translation>
    </message>
    <message>
        <source>&amp;Show Mavix</source>
        <translation>Affic&amp;her Mavix</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Comptes</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Checked messages are deleted on the server; Space checks or unchecks</source>
        <translation>Les messages cochés sont supprimés sur le serveur ; Espace coche ou décoche</translation>
    </message>
    <message>
        <source>&amp;Check All</source>
        <translation>Tout &amp;cocher</translation>
    </message>
    <message>
        <source>&amp;Uncheck All</source>
        <translation>To&amp;ut décocher</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>Annu&amp;ler</translation>
    </message>
    <message>
        <source>&amp;Removed Checked Items</source>
        <translation>Supp&amp;rimer les éléments cochés</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Arrê&amp;ter</translation>
    </message>
    <message>
        <source>Nobody has signed in for this account yet: Sign in… under Edit › Manage Account.</source>
        <translation>Personne ne s’est encore connecté pour ce compte : Se connecter… sous Édition › Gérer le compte.</translation>
    </message>
    <message>
        <source>Delete %1 messages from %2 accounts on the server (%3)?</source>
        <translation>Supprimer %1 messages de %2 comptes sur le serveur (%3) ?</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>arrêté</translation>
    </message>
    <message>
        <source>Edit Account…</source>
        <translation>Modifier le compte…</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Réessayer</translation>
    </message>
</context>
<context>
    <name>CPrefsDlg</name>
    <message>
        <source>Preferences</source>
        <translation>Préférences</translation>
    </message>
    <message>
        <source>0 (no previews)</source>
        <translation>0 (pas d&apos;aperçu)</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>minutes</translation>
    </message>
    <message>
        <source>KB, for</source>
        <translation>Ko, pendant</translation>
    </message>
    <message>
        <source>days</source>
        <translation>jours</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>secondes</translation>
    </message>
    <message>
        <source>lines of a selected message</source>
        <translation>premières lignes d&apos;un message sélectionné</translation>
    </message>
    <message>
        <source>Automatically &amp;Get Mavix on Launch</source>
        <translation>Lancer Mavix automatiquement au démarra&amp;ge</translation>
    </message>
    <message>
        <source>Automatically E&amp;xit After Cancel or Purge</source>
        <translation>&amp;Quitter automatiquement après Annuler ou la suppression</translation>
    </message>
    <message>
        <source>Automatically Set the &amp;Filter lists to the Default on Launch</source>
        <translation>Rétablir automatiquement les listes de &amp;filtres par défaut au démarrage</translation>
    </message>
    <message>
        <source>&amp;Check for mail every</source>
        <translation>&amp;Vérifier le courrier toutes les</translation>
    </message>
    <message>
        <source>Minutes between checks</source>
        <translation>Minutes entre les vérifications</translation>
    </message>
    <message>
        <source>&amp;Keep a copy of deleted messages up to</source>
        <translation>&amp;Conserver une copie des messages supprimés jusqu&apos;à</translation>
    </message>
    <message>
        <source>Largest copy kept, in KB</source>
        <translation>Plus grande copie conservée, en Ko</translation>
    </message>
    <message>
        <source>Days a copy is kept</source>
        <translation>Jours de conservation d&apos;une copie</translation>
    </message>
    <message>
        <source>&amp;Ask before deleting messages</source>
        <translation>De&amp;mander avant de supprimer des messages</translation>
    </message>
    <message>
        <source>Mark mail whose sender failed the receiving server&apos;s checks (&amp;DMARC, SPF)</source>
        <translation>Signaler le courrier &amp;dont l&apos;expéditeur a échoué aux contrôles du serveur de réception (DMARC, SPF)</translation>
    </message>
    <message>
        <source>Mark mail whose sender&apos;s &amp;name shows another address or domain</source>
        <translation>Signaler le courrier dont le &amp;nom d&apos;expéditeur affiche une autre adresse ou un autre domaine</translation>
    </message>
    <message>
        <source>Mark mail from domains that &amp;look like well-known ones</source>
        <translation>Signaler &amp;le courrier de domaines qui ressemblent à des domaines connus</translation>
    </message>
    <message>
        <source>S&amp;tart Mavix when I log in</source>
        <translation>Démarrer Mavix à l&apos;ouverture de &amp;session</translation>
    </message>
    <message>
        <source>&amp;Wait for the server up to</source>
        <translation>&amp;Attendre le serveur jusqu&apos;à</translation>
    </message>
    <message>
        <source>&amp;Preview the first</source>
        <translation>A&amp;perçu des</translation>
    </message>
    <message>
        <source>no program</source>
        <translation>aucun programme</translation>
    </message>
    <message>
        <source>Mavix does not start when you log in: its entry %1 starts %2, which is not there. OK writes it again for %3.</source>
        <translation>Mavix ne démarre pas à l&apos;ouverture de session : son entrée %1 lance %2, qui n&apos;existe pas. OK la réécrit pour %3.</translation>
    </message>
</context>
<context>
    <name>CRecentlyDeletedWindow</name>
    <message>
        <source>Recently Deleted</source>
        <translation>Récemment supprimés</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>Supprimé</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>From</source>
        <translation>De</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Objet</translation>
    </message>
    <message>
        <source>Why</source>
        <translation>Motif</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copie</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Compte</translation>
    </message>
    <message>
        <source>UIDL</source>
        <translation>UIDL</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>&amp;Recharger</translation>
    </message>
    <message>
        <source>&amp;Save Copy As…</source>
        <translation>&amp;Enregistrer la copie sous…</translation>
    </message>
    <message>
        <source>&amp;Open in Mail Program</source>
        <translation>&amp;Ouvrir dans le logiciel de messagerie</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>kept</source>
        <translation>conservée</translation>
    </message>
    <message>
        <source>Nothing has been deleted yet. Deletions are recorded in %1.</source>
        <translation>Rien n&apos;a encore été supprimé. Les suppressions sont enregistrées dans %1.</translation>
    </message>
    <message>
        <source>%1 deleted messages, newest first, from %2.</source>
        <translation>%1 messages supprimés, les plus récents d&apos;abord, depuis %2.</translation>
    </message>
    <message>
        <source>The kept copy of this message is gone.</source>
        <translation>La copie conservée de ce message n&apos;existe plus.</translation>
    </message>
    <message>
        <source>Save Copy As</source>
        <translation>Enregistrer la copie sous</translation>
    </message>
    <message>
        <source>Mail messages (*.eml)</source>
        <translation>Messages e-mail (*.eml)</translation>
    </message>
    <message>
        <source>The copy could not be saved as %1.</source>
        <translation>La copie n&apos;a pas pu être enregistrée sous %1.</translation>
    </message>
    <message>
        <source>The copy could not be opened in your mail program.</source>
        <translation>La copie n&apos;a pas pu être ouverte dans votre logiciel de messagerie.</translation>
    </message>
    <message>
        <source>Deleted messages</source>
        <translation>Messages supprimés</translation>
    </message>
    <message>
        <source>Save &amp;All…</source>
        <translation>Enregistrer &amp;tout…</translation>
    </message>
    <message>
        <source>Save the kept copies of the selected rows into a folder</source>
        <translation>Enregistrer dans un dossier les copies conservées des lignes sélectionnées</translation>
    </message>
    <message>
        <source>
POP3 cannot put a message back on the server. Where a copy was kept, select its row to save it as a file or open it in your mail program; select several rows (Ctrl+A: all) to save their copies at once.</source>
        <translation>
POP3 ne peut pas remettre un message sur le serveur. Là où une copie a été conservée, sélectionnez sa ligne pour l&apos;enregistrer dans un fichier ou l&apos;ouvrir dans votre logiciel de messagerie ; sélectionnez plusieurs lignes (Ctrl+A : toutes) pour enregistrer leurs copies en une fois.</translation>
    </message>
    <message>
        <source>Save All Copies Into</source>
        <translation>Enregistrer toutes les copies dans</translation>
    </message>
    <message>
        <source>Could not be saved: %1</source>
        <translation>N&apos;ont pas pu être enregistrés : %1</translation>
    </message>
    <message>
        <source>No mail program could be opened for this message. Save it with &quot;Save Copy As…&quot; and open the file in your mail program.</source>
        <translation>Aucun logiciel de messagerie n&apos;a pu être ouvert pour ce message. Enregistrez-le avec « Enregistrer la copie sous… » et ouvrez le fichier dans votre logiciel de messagerie.</translation>
    </message>
    <message>
        <source>Copies saved in %1: %2.</source>
        <translation>Copies enregistrées dans %1 : %2.</translation>
    </message>
    <message>
        <source>Selected rows without a kept copy: %1.</source>
        <translation>Lignes sélectionnées sans copie conservée : %1.</translation>
    </message>
</context>
<context>
    <name>CRowActions</name>
    <message>
        <source>Trust this sender</source>
        <translation>Faire confiance à cet expéditeur</translation>
    </message>
    <message>
        <source>Always flag this sender</source>
        <translation>Toujours signaler cet expéditeur</translation>
    </message>
    <message>
        <source>Flag Subjects that are exactly “%1”</source>
        <translation>Signaler les objets exactement égaux à « %1 »</translation>
    </message>
    <message>
        <source>View Headers…</source>
        <translation>Afficher les en-têtes…</translation>
    </message>
    <message>
        <source>The filter lists could not be saved in %1.

The changes apply until Mavix is closed.</source>
        <translation>Les listes de filtres n&apos;ont pas pu être enregistrées dans %1.

Les modifications s&apos;appliquent jusqu&apos;à la fermeture de Mavix.</translation>
    </message>
    <message>
        <source>The headers of this message cannot be read from %1.</source>
        <translation>Les en-têtes de ce message ne peuvent pas être lus depuis %1.</translation>
    </message>
    <message>
        <source>Headers of message %1</source>
        <translation>En-têtes du message %1</translation>
    </message>
</context>
<context>
    <name>CTrayController</name>
    <message>
        <source>Mavix keeps checking for mail in the background. File › Exit quits.</source>
        <translation>Mavix continue de vérifier le courrier en arrière-plan. Fichier › Quitter le ferme.</translation>
    </message>
    <message>
        <source>not checked yet</source>
        <translation>pas encore vérifié</translation>
    </message>
    <message>
        <source>Check now</source>
        <translation>Vérifier maintenant</translation>
    </message>
    <message>
        <source>Pause background checks</source>
        <translation>Suspendre les vérifications en arrière-plan</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Background checks are paused</source>
        <translation>Les vérifications en arrière-plan sont suspendues</translation>
    </message>
    <message>
        <source>Open Mavix</source>
        <translation>Ouvrir Mavix</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
</context>
<context>
    <name>DumpFile</name>
    <message>
        <source>the disk is full</source>
        <translation>le disque est plein</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission refusée</translation>
    </message>
    <message>
        <source>the folder is read-only</source>
        <translation>le dossier est en lecture seule</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>le fichier est trop volumineux</translation>
    </message>
    <message>
        <source>%1 (cannot create a file in the folder of %2)</source>
        <translation>%1 (impossible de créer un fichier dans le dossier de %2)</translation>
    </message>
    <message>
        <source>Failed to write message to file: %1</source>
        <translation>Impossible d&apos;écrire le message dans le fichier : %1</translation>
    </message>
    <message>
        <source>%1 was cut at %2 MiB; later messages are listed but not written to it</source>
        <translation>%1 a été coupé à %2 Mio ; les messages suivants sont listés mais n&apos;y sont pas écrits</translation>
    </message>
    <message>
        <source>%1 (writing %2)</source>
        <translation>%1 (écriture de %2)</translation>
    </message>
    <message>
        <source>%1 (closing %2)</source>
        <translation>%1 (fermeture de %2)</translation>
    </message>
    <message>
        <source>%1 belongs to another user and this folder does not let it be replaced</source>
        <translation>%1 appartient à un autre utilisateur et ce dossier ne permet pas de le remplacer</translation>
    </message>
    <message>
        <source>%1 (replacing %2)</source>
        <translation>%1 (remplacement de %2)</translation>
    </message>
</context>
<context>
    <name>EntryRules</name>
    <message>
        <source>Type &quot;&gt;&quot; and a size, such as &gt;500K or &gt;2M.</source>
        <translation>Tapez « &gt; » et une taille, par exemple &gt;500K ou &gt;2M.</translation>
    </message>
    <message>
        <source>A size above nothing would mark every message: type a size above 0, such as &gt;500K.</source>
        <translation>Une taille supérieure à rien marquerait tous les messages : tapez une taille supérieure à 0, par exemple &gt;500K.</translation>
    </message>
</context>
<context>
    <name>FilterManager</name>
    <message>
        <source>Manage Filters</source>
        <translation>Gérer les filtres</translation>
    </message>
    <message>
        <source>Size Filter</source>
        <translation>Filtre de taille</translation>
    </message>
    <message>
        <source>Subject Filter</source>
        <translation>Filtre d&apos;objet</translation>
    </message>
    <message>
        <source>Subject Exact Filter</source>
        <translation>Filtre d&apos;objet exact</translation>
    </message>
    <message>
        <source>Senders</source>
        <translation>Expéditeurs</translation>
    </message>
    <message>
        <source>Trusted senders</source>
        <translation>Expéditeurs de confiance</translation>
    </message>
    <message>
        <source>The filter lists could not be saved in %1.

The changes apply until Mavix is closed.</source>
        <translation>Les listes de filtres n&apos;ont pas pu être enregistrées dans %1.

Les modifications s&apos;appliquent jusqu&apos;à la fermeture de Mavix.</translation>
    </message>
</context>
<context>
    <name>Filters</name>
    <message>
        <source>defaults.txt was ignored because it is a symbolic link; the built-in default filters are used instead.</source>
        <translation>defaults.txt a été ignoré parce que c&apos;est un lien symbolique ; les filtres par défaut intégrés sont utilisés à la place.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it cannot be examined; the built-in default filters are used instead.</source>
        <translation>defaults.txt a été ignoré parce qu&apos;il ne peut pas être examiné ; les filtres par défaut intégrés sont utilisés à la place.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it is not a plain file; the built-in default filters are used instead.</source>
        <translation>defaults.txt a été ignoré parce que ce n&apos;est pas un fichier ordinaire ; les filtres par défaut intégrés sont utilisés à la place.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it belongs to another user; the built-in default filters are used instead.</source>
        <translation>defaults.txt a été ignoré parce qu&apos;il appartient à un autre utilisateur ; les filtres par défaut intégrés sont utilisés à la place.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because others may change it (chmod go-w defaults.txt); the built-in default filters are used instead.</source>
        <translation>defaults.txt a été ignoré parce que d&apos;autres peuvent le modifier (chmod go-w defaults.txt) ; les filtres par défaut intégrés sont utilisés à la place.</translation>
    </message>
    <message>
        <source>defaults.txt was ignored because it cannot be read; the built-in default filters are used instead.</source>
        <translation>defaults.txt a été ignoré parce qu&apos;il ne peut pas être lu ; les filtres par défaut intégrés sont utilisés à la place.</translation>
    </message>
</context>
<context>
    <name>MessageGridModel</name>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Att.</source>
        <translation>P.J.</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Objet</translation>
    </message>
    <message>
        <source>From</source>
        <translation>De</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>To</source>
        <translation>À</translation>
    </message>
    <message>
        <source>CC</source>
        <translation>Cc</translation>
    </message>
    <message>
        <source>From the last scan: scan again to check or remove it</source>
        <translation>De la dernière analyse : analysez à nouveau pour le cocher ou le supprimer</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Compte</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>checked</source>
        <translation>coché</translation>
    </message>
    <message>
        <source>not checked</source>
        <translation>non coché</translation>
    </message>
    <message>
        <source>checked, suspect: %1</source>
        <translation>coché, suspect : %1</translation>
    </message>
    <message>
        <source>not checked, suspect: %1</source>
        <translation>non coché, suspect : %1</translation>
    </message>
</context>
<context>
    <name>NewMailNotices</name>
    <message>
        <source>1 new suspect message: %1</source>
        <translation>1 nouveau message suspect : %1</translation>
    </message>
    <message>
        <source>%1 new suspect messages: %2</source>
        <translation>%1 nouveaux messages suspects : %2</translation>
    </message>
</context>
<context>
    <name>OAuth</name>
    <message>
        <source>the sign-in was not finished in the browser within %1 minutes; sign-in stopped</source>
        <translation>la connexion n&apos;a pas été terminée dans le navigateur en %1 minutes ; connexion interrompue</translation>
    </message>
    <message>
        <source>the sign-in was not finished in the browser within %1 seconds; sign-in stopped</source>
        <translation>la connexion n&apos;a pas été terminée dans le navigateur en %1 secondes ; connexion interrompue</translation>
    </message>
    <message>
        <source>the provider&apos;s endpoints must be https:// addresses</source>
        <translation>les points de terminaison du fournisseur doivent être des adresses https://</translation>
    </message>
    <message>
        <source>no random numbers for the sign-in</source>
        <translation>pas de nombres aléatoires pour la connexion</translation>
    </message>
    <message>
        <source>cannot listen on 127.0.0.1 for the browser: %1</source>
        <translation>impossible d&apos;écouter sur 127.0.0.1 pour le navigateur : %1</translation>
    </message>
    <message>
        <source>This is not a sign-in answer.</source>
        <translation>Ceci n&apos;est pas une réponse de connexion.</translation>
    </message>
    <message>
        <source>the sign-in listener got a request that is not the browser&apos;s answer; sign-in stopped</source>
        <translation>l&apos;écoute de la connexion a reçu une requête qui n&apos;est pas la réponse du navigateur ; connexion interrompue</translation>
    </message>
    <message>
        <source>Sign-in was already answered.</source>
        <translation>La connexion a déjà reçu sa réponse.</translation>
    </message>
    <message>
        <source>a second request reached the sign-in listener; sign-in stopped for safety, please sign in again</source>
        <translation>une deuxième requête a atteint l&apos;écoute de la connexion ; connexion interrompue par sécurité, veuillez vous reconnecter</translation>
    </message>
    <message>
        <source>Sign-in failed: this answer belongs to another sign-in.</source>
        <translation>Échec de la connexion : cette réponse appartient à une autre connexion.</translation>
    </message>
    <message>
        <source>the browser&apos;s answer was not for this sign-in (its state differs); sign-in stopped</source>
        <translation>la réponse du navigateur ne concernait pas cette connexion (son state diffère) ; connexion interrompue</translation>
    </message>
    <message>
        <source>Sign-in failed. You can close this window.</source>
        <translation>Échec de la connexion. Vous pouvez fermer cette fenêtre.</translation>
    </message>
    <message>
        <source>the provider refused the sign-in: %1</source>
        <translation>le fournisseur a refusé la connexion : %1</translation>
    </message>
    <message>
        <source>the provider refused the sign-in: %1 (%2)</source>
        <translation>le fournisseur a refusé la connexion : %1 (%2)</translation>
    </message>
    <message>
        <source>Sign-in failed: no authorization code.</source>
        <translation>Échec de la connexion : aucun code d&apos;autorisation.</translation>
    </message>
    <message>
        <source>the browser&apos;s answer carried no authorization code</source>
        <translation>la réponse du navigateur ne contenait aucun code d&apos;autorisation</translation>
    </message>
    <message>
        <source>You can close this window.</source>
        <translation>Vous pouvez fermer cette fenêtre.</translation>
    </message>
    <message>
        <source>the token endpoint refused the sign-in: %1</source>
        <translation>le point de terminaison des jetons a refusé la connexion : %1</translation>
    </message>
    <message>
        <source>the provider gave no refresh token (is offline access allowed for this client?)</source>
        <translation>le fournisseur n&apos;a donné aucun jeton d&apos;actualisation (l&apos;accès hors ligne est-il autorisé pour ce client ?)</translation>
    </message>
    <message>
        <source>cannot open the sign-in page in a browser</source>
        <translation>impossible d&apos;ouvrir la page de connexion dans un navigateur</translation>
    </message>
    <message>
        <source>sign-in cancelled</source>
        <translation>connexion annulée</translation>
    </message>
    <message>
        <source>the custom OAuth provider needs %1, %2 and %3 in the settings&apos; [%4] section</source>
        <translation>le fournisseur OAuth personnalisé a besoin de %1, %2 et %3 dans la section [%4] des réglages</translation>
    </message>
    <message>
        <source>no OAuth client ID for %1: set %2 in the settings&apos; [%3] section</source>
        <translation>aucun identifiant client OAuth pour %1 : définissez %2 dans la section [%3] des réglages</translation>
    </message>
    <message>
        <source>no OAuth provider is known for this server: set %1 (google, microsoft or custom) in the account</source>
        <translation>aucun fournisseur OAuth n&apos;est connu pour ce serveur : définissez %1 (google, microsoft ou custom) dans le compte</translation>
    </message>
    <message>
        <source>unknown OAuth provider &apos;%1&apos; (google, microsoft or custom)</source>
        <translation>fournisseur OAuth inconnu « %1 » (google, microsoft ou custom)</translation>
    </message>
    <message>
        <source>the token endpoint answered HTTP %1 without a token</source>
        <translation>le point de terminaison des jetons a répondu HTTP %1 sans jeton</translation>
    </message>
    <message>
        <source>the token endpoint&apos;s answer is too long</source>
        <translation>la réponse du point de terminaison des jetons est trop longue</translation>
    </message>
    <message>
        <source>the token endpoint answered HTTP %1 without JSON</source>
        <translation>le point de terminaison des jetons a répondu HTTP %1 sans JSON</translation>
    </message>
    <message>
        <source>the token endpoint sent a token with characters no token may hold</source>
        <translation>le point de terminaison des jetons a envoyé un jeton contenant des caractères qu&apos;aucun jeton ne peut contenir</translation>
    </message>
    <message>
        <source>no answer from the token endpoint in time</source>
        <translation>pas de réponse à temps du point de terminaison des jetons</translation>
    </message>
    <message>
        <source>cannot reach the token endpoint: %1</source>
        <translation>impossible de joindre le point de terminaison des jetons : %1</translation>
    </message>
    <message>
        <source>the token endpoint must be an https:// address</source>
        <translation>le point de terminaison des jetons doit être une adresse https://</translation>
    </message>
    <message>
        <source>no OAuth refresh token is stored for this account: sign in first</source>
        <translation>aucun jeton d&apos;actualisation OAuth n&apos;est enregistré pour ce compte : connectez-vous d&apos;abord</translation>
    </message>
    <message>
        <source>cannot renew the OAuth access token: %1</source>
        <translation>impossible de renouveler le jeton d&apos;accès OAuth : %1</translation>
    </message>
    <message>
        <source>the token command wrote more than a token</source>
        <translation>la commande de jeton a écrit plus qu&apos;un jeton</translation>
    </message>
    <message>
        <source>the token command did not finish in time</source>
        <translation>la commande de jeton ne s&apos;est pas terminée à temps</translation>
    </message>
    <message>
        <source>the token command is empty</source>
        <translation>la commande de jeton est vide</translation>
    </message>
    <message>
        <source>cannot run the token command: %1</source>
        <translation>impossible d&apos;exécuter la commande de jeton : %1</translation>
    </message>
    <message>
        <source>the token command failed (exit status %1)</source>
        <translation>la commande de jeton a échoué (code de sortie %1)</translation>
    </message>
    <message>
        <source>the token command gave no token on its standard output</source>
        <translation>la commande de jeton n&apos;a donné aucun jeton sur sa sortie standard</translation>
    </message>
</context>
<context>
    <name>Pop3</name>
    <message>
        <source>TLS cannot run over this stream.</source>
        <translation>TLS ne peut pas fonctionner sur ce flux.</translation>
    </message>
    <message>
        <source>The server does not offer %1; it offers only USER/PASS.</source>
        <translation>Le serveur ne propose pas %1 ; il ne propose que USER/PASS.</translation>
    </message>
    <message>
        <source>The server does not offer %1; it offers: %2.</source>
        <translation>Le serveur ne propose pas %1 ; il propose : %2.</translation>
    </message>
    <message>
        <source>this system cannot compute APOP&apos;s MD5 digest.</source>
        <translation>ce système ne peut pas calculer l&apos;empreinte MD5 d&apos;APOP.</translation>
    </message>
    <message>
        <source>this system cannot run %1.</source>
        <translation>ce système ne peut pas exécuter %1.</translation>
    </message>
    <message>
        <source>the server went on past %1 rounds of %2.</source>
        <translation>le serveur a continué au-delà de %1 échanges de %2.</translation>
    </message>
    <message>
        <source>the server&apos;s challenge to %1 is not base64.</source>
        <translation>le défi du serveur pour %1 n&apos;est pas en base64.</translation>
    </message>
    <message>
        <source>the server&apos;s challenge makes no sense to %1.</source>
        <translation>le défi du serveur n&apos;a pas de sens pour %1.</translation>
    </message>
    <message>
        <source>the access token is too long or holds a control character.</source>
        <translation>le jeton d&apos;accès est trop long ou contient un caractère de contrôle.</translation>
    </message>
    <message>
        <source>no way to get one is set up.</source>
        <translation>aucun moyen d&apos;en obtenir un n&apos;est configuré.</translation>
    </message>
    <message>
        <source>the server went on after its error challenge to %1.</source>
        <translation>le serveur a continué après son défi d&apos;erreur pour %1.</translation>
    </message>
    <message>
        <source>%1 (status %2)</source>
        <translation>%1 (statut %2)</translation>
    </message>
    <message>
        <source>The user name or password is longer than 120 characters or holds a line break or NUL; nothing was sent.</source>
        <translation>Le nom d&apos;utilisateur ou le mot de passe dépasse 120 caractères ou contient un saut de ligne ou un NUL ; rien n&apos;a été envoyé.</translation>
    </message>
    <message>
        <source>The server refused the connection: %1</source>
        <translation>Le serveur a refusé la connexion : %1</translation>
    </message>
    <message>
        <source>The server refused the log-in: %1</source>
        <translation>Le serveur a refusé l&apos;identification : %1</translation>
    </message>
    <message>
        <source>The server does not offer STLS (STARTTLS), so the connection cannot be secured; the user name and password were not sent.</source>
        <translation>Le serveur ne propose pas STLS (STARTTLS), la connexion ne peut donc pas être sécurisée ; le nom d&apos;utilisateur et le mot de passe n&apos;ont pas été envoyés.</translation>
    </message>
    <message>
        <source>The server refused STLS (STARTTLS): %1</source>
        <translation>Le serveur a refusé STLS (STARTTLS) : %1</translation>
    </message>
    <message>
        <source>The server sent more than its answer to STLS (STARTTLS); the connection may have been tampered with and was closed.</source>
        <translation>Le serveur a envoyé plus que sa réponse à STLS (STARTTLS) ; la connexion a peut-être été falsifiée et a été fermée.</translation>
    </message>
    <message>
        <source>The server could not prove that it knows the password: it is not the server it claims to be, and the connection was closed.</source>
        <translation>Le serveur n&apos;a pas pu prouver qu&apos;il connaît le mot de passe : ce n&apos;est pas le serveur qu&apos;il prétend être, et la connexion a été fermée.</translation>
    </message>
    <message>
        <source>No access token could be had for the log-in: %1</source>
        <translation>Aucun jeton d&apos;accès n&apos;a pu être obtenu pour l&apos;identification : %1</translation>
    </message>
    <message>
        <source>The log-in could not go on: %1</source>
        <translation>L&apos;identification n&apos;a pas pu continuer : %1</translation>
    </message>
    <message>
        <source>The server refused the log-in (%1): %2</source>
        <translation>Le serveur a refusé l&apos;identification (%1) : %2</translation>
    </message>
    <message>
        <source>No answer on port %1 within %2 seconds</source>
        <translation>Pas de réponse sur le port %1 en %2 secondes</translation>
    </message>
    <message>
        <source>%1 on port %2</source>
        <translation>%1 sur le port %2</translation>
    </message>
    <message>
        <source>The connection was lost while sending %1: %2.</source>
        <translation>La connexion a été perdue pendant l&apos;envoi de %1 : %2.</translation>
    </message>
    <message>
        <source>Stopped before %1.</source>
        <translation>Arrêté avant %1.</translation>
    </message>
    <message>
        <source>The server had closed the connection before %1.</source>
        <translation>Le serveur avait fermé la connexion avant %1.</translation>
    </message>
    <message>
        <source>The server sent data nobody asked for before %1.</source>
        <translation>Le serveur a envoyé avant %1 des données que personne n&apos;a demandées.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 names another message.</source>
        <translation>La réponse du serveur à %1 désigne un autre message.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 gives no size.</source>
        <translation>La réponse du serveur à %1 ne donne pas de taille.</translation>
    </message>
    <message>
        <source>The reply to %1 was read out of turn.</source>
        <translation>La réponse à %1 a été lue hors de son tour.</translation>
    </message>
    <message>
        <source>The user name or password is longer than 120 characters or holds a line break or NUL.</source>
        <translation>Le nom d&apos;utilisateur ou le mot de passe dépasse 120 caractères ou contient un saut de ligne ou un NUL.</translation>
    </message>
    <message>
        <source>The server accepted the connection but sent no greeting within %1 seconds.</source>
        <translation>Le serveur a accepté la connexion mais n&apos;a envoyé aucun message d&apos;accueil en %1 secondes.</translation>
    </message>
    <message>
        <source>no error</source>
        <translation>aucune erreur</translation>
    </message>
    <message>
        <source>the server refused the command</source>
        <translation>le serveur a refusé la commande</translation>
    </message>
    <message>
        <source>the server&apos;s reply is not understood</source>
        <translation>la réponse du serveur n&apos;est pas comprise</translation>
    </message>
    <message>
        <source>the server lists more than Mavix handles</source>
        <translation>le serveur liste plus que ce que Mavix gère</translation>
    </message>
    <message>
        <source>the server&apos;s reply holds a number out of range</source>
        <translation>la réponse du serveur contient un nombre hors limites</translation>
    </message>
    <message>
        <source>the server&apos;s message list names a message twice</source>
        <translation>la liste des messages du serveur nomme un message deux fois</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>erreur inconnue</translation>
    </message>
    <message>
        <source>The server&apos;s message list does not match its count</source>
        <translation>La liste des messages du serveur ne correspond pas à son nombre</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 has no line end.</source>
        <translation>La réponse du serveur à %1 n&apos;a pas de fin de ligne.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 is not a POP3 reply.</source>
        <translation>La réponse du serveur à %1 n&apos;est pas une réponse POP3.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 is longer than 64 MiB.</source>
        <translation>La réponse du serveur à %1 dépasse 64 Mio.</translation>
    </message>
    <message>
        <source>The POP3 server&apos;s reply is longer than 64 MiB.</source>
        <translation>La réponse du serveur POP3 dépasse 64 Mio.</translation>
    </message>
    <message>
        <source>The server&apos;s answer to %1 did not end within %2 seconds.</source>
        <translation>La réponse du serveur à %1 ne s&apos;est pas terminée en %2 secondes.</translation>
    </message>
    <message>
        <source>The server stopped in the middle of its answer to %1 (silent for %2 seconds).</source>
        <translation>Le serveur s&apos;est arrêté au milieu de sa réponse à %1 (silencieux depuis %2 secondes).</translation>
    </message>
    <message>
        <source>The server did not answer %1 within %2 seconds.</source>
        <translation>Le serveur n&apos;a pas répondu à %1 en %2 secondes.</translation>
    </message>
    <message>
        <source>Stopped while waiting for the answer to %1.</source>
        <translation>Arrêté en attendant la réponse à %1.</translation>
    </message>
    <message>
        <source>The connection was lost during %1.</source>
        <translation>La connexion a été perdue pendant %1.</translation>
    </message>
    <message>
        <source>The server closed the connection during %1.</source>
        <translation>Le serveur a fermé la connexion pendant %1.</translation>
    </message>
    <message>
        <source>The connection was lost during %1: %2.</source>
        <translation>La connexion a été perdue pendant %1 : %2.</translation>
    </message>
</context>
<context>
    <name>Preview</name>
    <message>
        <source>The session with the server has ended: scan again to preview this message.</source>
        <translation>La session avec le serveur est terminée : analysez à nouveau pour prévisualiser ce message.</translation>
    </message>
    <message>
        <source>The server would not name the message.</source>
        <translation>Le serveur n&apos;a pas voulu nommer le message.</translation>
    </message>
    <message>
        <source>The server has another message under this number now: scan again.</source>
        <translation>Le serveur a maintenant un autre message sous ce numéro : analysez à nouveau.</translation>
    </message>
    <message>
        <source>The server would not show the message.</source>
        <translation>Le serveur n&apos;a pas voulu montrer le message.</translation>
    </message>
</context>
<context>
    <name>PreviewPane</name>
    <message>
        <source>Message %1: fetching the first %2 lines...</source>
        <translation>Message %1 : récupération des %2 premières lignes...</translation>
    </message>
    <message>
        <source>Previews are turned off (Preferences).</source>
        <translation>Les aperçus sont désactivés (Préférences).</translation>
    </message>
    <message>
        <source>Select a message to read its start here.</source>
        <translation>Sélectionnez un message pour en lire le début ici.</translation>
    </message>
    <message>
        <source>Message %1, the first %2 lines</source>
        <translation>Message %1, les %2 premières lignes</translation>
    </message>
    <message>
        <source>Message %1: no preview</source>
        <translation>Message %1 : pas d&apos;aperçu</translation>
    </message>
    <message>
        <source>From: %1
To: %2
Date: %3
Subject: %4
</source>
        <translation>De : %1
À : %2
Date : %3
Objet : %4
</translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation>(sans nom)</translation>
    </message>
    <message>
        <source>Attachment: %1 — %2, %3 %4 KB%5
</source>
        <translation>Pièce jointe : %1 — %2, %3 %4 Ko%5
</translation>
    </message>
    <message>
        <source>at least</source>
        <translation>au moins</translation>
    </message>
    <message>
        <source>about</source>
        <translation>environ</translation>
    </message>
    <message>
        <source>  ⚠ a program named like a document</source>
        <translation>  ⚠ un programme nommé comme un document</translation>
    </message>
    <message>
        <source>(HTML shown as text; links as [their real target]; nothing was loaded)
</source>
        <translation>(HTML affiché en texte ; liens sous la forme [leur vraie cible] ; rien n&apos;a été chargé)
</translation>
    </message>
    <message>
        <source>
[cut: the message goes on past what was fetched]
</source>
        <translation>
[coupé : le message continue au-delà de ce qui a été récupéré]
</translation>
    </message>
    <message>
        <source>[parts nested too deep, or too many, were not shown]
</source>
        <translation>[les parties trop imbriquées, ou trop nombreuses, n&apos;ont pas été affichées]
</translation>
    </message>
    <message>
        <source>Message preview</source>
        <translation>Aperçu du message</translation>
    </message>
    <message>
        <source>Show &amp;More</source>
        <translation>Afficher &amp;plus</translation>
    </message>
</context>
<context>
    <name>Prompter</name>
    <message>
        <source>Don&apos;t ask again</source>
        <translation>Ne plus demander</translation>
    </message>
</context>
<context>
    <name>Purge</name>
    <message>
        <source>Another purge of this account is running: nothing was deleted. Scan again once it has ended.</source>
        <translation>Une autre suppression est en cours pour ce compte : rien n&apos;a été supprimé. Analysez à nouveau une fois qu&apos;elle est terminée.</translation>
    </message>
    <message>
        <source>The deletions could not be recorded in %1: nothing was deleted.</source>
        <translation>Les suppressions n&apos;ont pas pu être consignées dans %1 : rien n&apos;a été supprimé.</translation>
    </message>
    <message>
        <source>The server ended the session, and no new log-in can be tried: %1 Nothing was deleted.</source>
        <translation>Le serveur a mis fin à la session, et aucune nouvelle identification n&apos;est possible : %1 Rien n&apos;a été supprimé.</translation>
    </message>
    <message>
        <source>The server ended the session and a new log-in failed (%1): nothing was deleted.</source>
        <translation>Le serveur a mis fin à la session et une nouvelle identification a échoué (%1) : rien n&apos;a été supprimé.</translation>
    </message>
    <message>
        <source>The server ended the session, and it gives its messages no lasting ids (UIDL), so the rows cannot be matched to messages again: nothing was deleted. Scan again.</source>
        <translation>Le serveur a mis fin à la session et ne donne pas d&apos;identifiants durables (UIDL) à ses messages, les lignes ne peuvent donc plus être associées aux messages : rien n&apos;a été supprimé. Analysez à nouveau.</translation>
    </message>
    <message>
        <source>The server ended the session, and the account has changed since the scan: nothing was deleted. Scan again.</source>
        <translation>Le serveur a mis fin à la session, et le compte a changé depuis l&apos;analyse : rien n&apos;a été supprimé. Analysez à nouveau.</translation>
    </message>
    <message>
        <source>The server&apos;s list of message ids could not be read again (%1): nothing was deleted.</source>
        <translation>La liste des identifiants de messages du serveur n&apos;a pas pu être relue (%1) : rien n&apos;a été supprimé.</translation>
    </message>
    <message>
        <source>the deletions could not be recorded in %1</source>
        <translation>les suppressions n&apos;ont pas pu être consignées dans %1</translation>
    </message>
</context>
<context>
    <name>PurgeSummary</name>
    <message>
        <source>Nothing was deleted: %1</source>
        <translation>Rien n&apos;a été supprimé : %1</translation>
    </message>
    <message>
        <source>Nothing was deleted: %1, so the session was closed without QUIT.</source>
        <translation>Rien n&apos;a été supprimé : %1, la session a donc été fermée sans QUIT.</translation>
    </message>
    <message>
        <source>Cancelled: nothing was deleted.</source>
        <translation>Annulé : rien n&apos;a été supprimé.</translation>
    </message>
    <message>
        <source>The server did not confirm the deletions (QUIT): the %1 messages marked may or may not have been deleted. Recently Deleted lists them as possibly deleted until the next scan of the account settles it.</source>
        <translation>Le serveur n&apos;a pas confirmé les suppressions (QUIT) : les %1 messages marqués ont peut-être été supprimés, ou non. « Récemment supprimés » les indique comme peut-être supprimés jusqu&apos;à ce que la prochaine analyse du compte le régularise.</translation>
    </message>
    <message>
        <source>The server did not confirm the deletions: the checked messages may still be on the server.</source>
        <translation>Le serveur n&apos;a pas confirmé les suppressions : les messages cochés sont peut-être encore sur le serveur.</translation>
    </message>
    <message>
        <source>%1 deleted, %2 refused by the server, %3 not deleted (changed on the server)</source>
        <translation>%1 supprimés, %2 refusés par le serveur, %3 non supprimés (modifiés sur le serveur)</translation>
    </message>
    <message>
        <source>, %1 already removed</source>
        <translation>, %1 déjà retirés</translation>
    </message>
    <message>
        <source>, %1 not deleted (could not be read or found)</source>
        <translation>, %1 non supprimés (illisibles ou introuvables)</translation>
    </message>
    <message>
        <source>, %1 not deleted (no copy could be kept)</source>
        <translation>, %1 non supprimés (aucune copie n&apos;a pu être conservée)</translation>
    </message>
    <message>
        <source>, %1 not deleted (the copy did not match)</source>
        <translation>, %1 non supprimés (la copie ne correspondait pas)</translation>
    </message>
    <message>
        <source>; %1 checked by Subject only (the server gave no usable id)</source>
        <translation>; %1 vérifiés par l&apos;objet seulement (le serveur n&apos;a donné aucun identifiant utilisable)</translation>
    </message>
    <message>
        <source> The session was closed without QUIT, so nothing was deleted.</source>
        <translation> La session a été fermée sans QUIT, donc rien n&apos;a été supprimé.</translation>
    </message>
    <message>
        <source>. The deletions were not recorded: Recently Deleted lists them as possibly deleted until the next scan of the account settles them.</source>
        <translation>. Les suppressions n&apos;ont pas été enregistrées : « Récemment supprimés » les indique comme peut-être supprimés jusqu&apos;à ce que la prochaine analyse du compte les régularise.</translation>
    </message>
</context>
<context>
    <name>Scan</name>
    <message>
        <source>Unknown log-in method &quot;%1&quot; (Authentication): choose one under Manage Account.</source>
        <translation>Méthode de connexion inconnue « %1 » (Authentication) : choisissez-en une dans « Gérer le compte ».</translation>
    </message>
    <message>
        <source>This account signs in with OAuth 2.0, and nobody has signed in for it yet: sign in under Manage Account.</source>
        <translation>Ce compte se connecte avec OAuth 2.0, et personne ne s&apos;est encore connecté pour lui : connectez-vous dans « Gérer le compte ».</translation>
    </message>
    <message>
        <source>Server Not Found</source>
        <translation>Serveur introuvable</translation>
    </message>
    <message>
        <source>Unknown connection security setting &quot;%1&quot;: choose one under Manage Account.</source>
        <translation>Réglage de sécurité de connexion inconnu « %1 » : choisissez-en un dans « Gérer le compte ».</translation>
    </message>
    <message>
        <source>The server reports more than %1 messages, more than one scan can show: nothing was read.</source>
        <translation>Le serveur annonce plus de %1 messages, plus qu&apos;une analyse ne peut en montrer : rien n&apos;a été lu.</translation>
    </message>
    <message>
        <source>Server Refused STAT Response</source>
        <translation>Le serveur a refusé STAT</translation>
    </message>
    <message>
        <source>No emails waiting for you at the Server</source>
        <translation>Aucun message ne vous attend sur le serveur</translation>
    </message>
    <message>
        <source>The server&apos;s message list (LIST) cannot be used: %1</source>
        <translation>La liste des messages du serveur (LIST) est inutilisable : %1</translation>
    </message>
    <message>
        <source>The server refused to list its messages (LIST): %1</source>
        <translation>Le serveur a refusé de lister ses messages (LIST) : %1</translation>
    </message>
    <message>
        <source>The server&apos;s list of message ids (UIDL) cannot be used: %1</source>
        <translation>La liste des identifiants de messages du serveur (UIDL) est inutilisable : %1</translation>
    </message>
    <message>
        <source>The connection was lost.</source>
        <translation>La connexion a été perdue.</translation>
    </message>
    <message>
        <source>The server&apos;s headers are larger than one scan can hold (%1 MiB); the scan stopped at message %2.</source>
        <translation>Les en-têtes du serveur dépassent ce qu&apos;une analyse peut contenir (%1 Mio) ; l&apos;analyse s&apos;est arrêtée au message %2.</translation>
    </message>
    <message>
        <source>The server refused LIST %1: %2</source>
        <translation>Le serveur a refusé LIST %1 : %2</translation>
    </message>
    <message>
        <source>The scan failed.</source>
        <translation>L&apos;analyse a échoué.</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>The settings folder %1 is a symbolic link; Mavix does not use settings through a link. Replace it with the real folder.</source>
        <translation>Le dossier des réglages %1 est un lien symbolique ; Mavix n&apos;utilise pas de réglages à travers un lien. Remplacez-le par le vrai dossier.</translation>
    </message>
    <message>
        <source>The settings file %1 is a symbolic link; Mavix does not use settings through a link. Replace it with the real file.</source>
        <translation>Le fichier des réglages %1 est un lien symbolique ; Mavix n&apos;utilise pas de réglages à travers un lien. Remplacez-le par le vrai fichier.</translation>
    </message>
    <message>
        <source>The settings file or folder %1 belongs to another user or is not a plain file or folder; Mavix does not use it.</source>
        <translation>Le fichier ou dossier des réglages %1 appartient à un autre utilisateur ou n&apos;est pas un fichier ou dossier ordinaire ; Mavix ne l&apos;utilise pas.</translation>
    </message>
</context>
<context>
    <name>Setup</name>
    <message>
        <source>no answer in time</source>
        <translation>pas de réponse à temps</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>le fichier est trop volumineux</translation>
    </message>
    <message>
        <source>redirected to an address that is not https</source>
        <translation>redirigé vers une adresse qui n&apos;est pas en https</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>le serveur a répondu %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>The configuration file is nested too deeply.</source>
        <translation>Le fichier de configuration est trop profondément imbriqué.</translation>
    </message>
    <message>
        <source>The file is not a mail configuration file.</source>
        <translation>Le fichier n&apos;est pas un fichier de configuration de messagerie.</translation>
    </message>
    <message>
        <source>The configuration file lists too many servers.</source>
        <translation>Le fichier de configuration énumère trop de serveurs.</translation>
    </message>
    <message>
        <source>The configuration file is too large.</source>
        <translation>Le fichier de configuration est trop volumineux.</translation>
    </message>
    <message>
        <source>A value in the configuration file is too long.</source>
        <translation>Une valeur du fichier de configuration est trop longue.</translation>
    </message>
    <message>
        <source>The configuration file is not well-formed XML (line %1).</source>
        <translation>Le fichier de configuration n&apos;est pas du XML bien formé (ligne %1).</translation>
    </message>
    <message>
        <source>The configuration names no POP3 server Mavix can use.</source>
        <translation>La configuration ne nomme aucun serveur POP3 utilisable par Mavix.</translation>
    </message>
    <message>
        <source>The provider asks you to switch access on first.</source>
        <translation>Le fournisseur vous demande d&apos;abord d&apos;activer l&apos;accès.</translation>
    </message>
    <message>
        <source>Switch POP on in Gmail&apos;s settings (Forwarding and POP/IMAP) first. Sign in with OAuth 2.0, or choose Automatic and use an app password (it needs 2-Step Verification).</source>
        <translation>Activez d&apos;abord POP dans les paramètres de Gmail (Transfert et POP/IMAP). Connectez-vous avec OAuth 2.0, ou choisissez « Automatique » et utilisez un mot de passe d&apos;application (il faut la validation en deux étapes).</translation>
    </message>
    <message>
        <source>Create an app password at the provider and enter it as the password.</source>
        <translation>Créez un mot de passe d&apos;application chez le fournisseur et saisissez-le comme mot de passe.</translation>
    </message>
    <message>
        <source>Switch POP3 and IMAP access on in GMX&apos;s settings first.</source>
        <translation>Activez d&apos;abord l&apos;accès POP3 et IMAP dans les paramètres de GMX.</translation>
    </message>
    <message>
        <source>Switch POP access on in Zoho Mail&apos;s settings first; with two-factor authentication, use an app password.</source>
        <translation>Activez d&apos;abord l&apos;accès POP dans les paramètres de Zoho Mail ; avec l&apos;authentification à deux facteurs, utilisez un mot de passe d&apos;application.</translation>
    </message>
    <message>
        <source>Microsoft takes only OAuth 2.0 sign-in. POP may have to be switched on in Outlook.com&apos;s settings (Mail &gt; Forwarding and IMAP).</source>
        <translation>Microsoft n&apos;accepte que la connexion OAuth 2.0. Il faut peut-être activer POP dans les paramètres d&apos;Outlook.com (Courrier &gt; Transfert et IMAP).</translation>
    </message>
    <message>
        <source>Microsoft takes only OAuth 2.0 sign-in; your organisation may have to allow POP for your mailbox.</source>
        <translation>Microsoft n&apos;accepte que la connexion OAuth 2.0 ; votre organisation devra peut-être autoriser POP pour votre boîte aux lettres.</translation>
    </message>
    <message>
        <source>Fastmail takes only an app password here, never your account&apos;s own password.</source>
        <translation>Fastmail n&apos;accepte ici qu&apos;un mot de passe d&apos;application, jamais le mot de passe de votre compte.</translation>
    </message>
    <message>
        <source>Switch POP3 and IMAP access on in WEB.DE&apos;s settings first.</source>
        <translation>Activez d&apos;abord l&apos;accès POP3 et IMAP dans les paramètres de WEB.DE.</translation>
    </message>
    <message>
        <source>iCloud Mail offers no POP3 access (IMAP only), so Mavix cannot screen it.</source>
        <translation>iCloud Mail n&apos;offre pas d&apos;accès POP3 (IMAP uniquement) : Mavix ne peut donc pas le trier.</translation>
    </message>
    <message>
        <source>The server %1 takes the password without encryption (Security: None): anyone on the way can read it.</source>
        <translation>Le serveur %1 reçoit le mot de passe sans chiffrement (Sécurité : Aucune) : n&apos;importe qui sur le trajet peut le lire.</translation>
    </message>
    <message>
        <source>The server %1 is not in the domain %2: the file sends your password to another domain&apos;s server.</source>
        <translation>Le serveur %1 n&apos;est pas dans le domaine %2 : le fichier envoie votre mot de passe au serveur d&apos;un autre domaine.</translation>
    </message>
</context>
<context>
    <name>Tls</name>
    <message>
        <source>error %1</source>
        <translation>erreur %1</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>erreur inconnue</translation>
    </message>
    <message>
        <source>TLS is not available: %1.</source>
        <translation>TLS n&apos;est pas disponible : %1.</translation>
    </message>
    <message>
        <source>The system&apos;s trusted certificates cannot be loaded: %1.</source>
        <translation>Les certificats de confiance du système ne peuvent pas être chargés : %1.</translation>
    </message>
    <message>
        <source>The CA certificates in %1 (%2) cannot be read: %3.</source>
        <translation>Les certificats d&apos;AC de %1 (%2) ne peuvent pas être lus : %3.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted: %1.</source>
        <translation>Le certificat du serveur n&apos;est pas digne de confiance : %1.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted: %1. Its SHA-256 fingerprint is %2; only if your provider confirms that fingerprint, store it with the account to trust this certificate.</source>
        <translation>Le certificat du serveur n&apos;est pas digne de confiance : %1. Son empreinte SHA-256 est %2 ; seulement si votre fournisseur confirme cette empreinte, enregistrez-la avec le compte pour faire confiance à ce certificat.</translation>
    </message>
    <message>
        <source>The TLS handshake with the server failed: %1. Check that the port suits the security setting (implicit TLS usually on 995, STARTTLS on 110).</source>
        <translation>La négociation TLS avec le serveur a échoué : %1. Vérifiez que le port correspond au réglage de sécurité (TLS implicite en général sur 995, STARTTLS sur 110).</translation>
    </message>
    <message>
        <source>The server closed the connection during the TLS handshake. Check that the port suits the security setting (implicit TLS usually on 995, STARTTLS on 110).</source>
        <translation>Le serveur a fermé la connexion pendant la négociation TLS. Vérifiez que le port correspond au réglage de sécurité (TLS implicite en général sur 995, STARTTLS sur 110).</translation>
    </message>
    <message>
        <source>The server did not complete the TLS handshake within %1 seconds.</source>
        <translation>Le serveur n&apos;a pas terminé la négociation TLS en %1 secondes.</translation>
    </message>
    <message>
        <source>The TLS handshake was interrupted.</source>
        <translation>La négociation TLS a été interrompue.</translation>
    </message>
    <message>
        <source>The connection failed during the TLS handshake: %1.</source>
        <translation>La connexion a échoué pendant la négociation TLS : %1.</translation>
    </message>
    <message>
        <source>it could not be verified</source>
        <translation>il n&apos;a pas pu être vérifié</translation>
    </message>
    <message>
        <source>The certificate fingerprint stored with the account is not a SHA-256 fingerprint (64 hex digits).</source>
        <translation>L&apos;empreinte de certificat enregistrée avec le compte n&apos;est pas une empreinte SHA-256 (64 chiffres hexadécimaux).</translation>
    </message>
    <message>
        <source>The server name &quot;%1&quot; cannot be checked against a certificate.</source>
        <translation>Le nom de serveur « %1 » ne peut pas être vérifié par rapport à un certificat.</translation>
    </message>
    <message>
        <source>%1 (it is not valid for %2)</source>
        <translation>%1 (il n&apos;est pas valide pour %2)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>cannot work in %1; staying in the current folder</source>
        <translation>impossible de travailler dans %1 ; reste dans le dossier courant</translation>
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
        <translation>Usage : mavix [--desktop] [--hidden]
Trie des boîtes POP3 : affiche les en-têtes du courrier en attente et supprime
les messages cochés sur le serveur avant qu&apos;un logiciel de messagerie ne les télécharge.
« message.txt » (les en-têtes de la dernière analyse) et « defaults.txt » (listes
de filtres par défaut) sont écrits et lus dans le dossier courant.

  --desktop   travailler dans $XDG_DATA_HOME/Mavix (ce que fait le lanceur du bureau)
  --hidden    démarrer dans la zone de notification, sans la fenêtre (au démarrage
              de la session) ; sans zone de notification ni vérifications la fenêtre s&apos;affiche
  --help      afficher ce texte
  --version   afficher la version
Les options propres à Qt (-platform, -style, ...) sont aussi acceptées.
</translation>
    </message>
</context>
<context>
    <name>mavix-cli</name>
    <message>
        <source>warning: the password travelled unencrypted (%1): choose a secure connection or another log-in method</source>
        <translation>avertissement : le mot de passe a circulé en clair (%1) : choisissez une connexion sécurisée ou une autre méthode de connexion</translation>
    </message>
    <message>
        <source>%1 belongs to the purge command</source>
        <translation>%1 appartient à la commande purge</translation>
    </message>
    <message>
        <source>give only one of --suspects, --all and --rows</source>
        <translation>indiquez une seule option parmi --suspects, --all et --rows</translation>
    </message>
    <message>
        <source>--lines wants a number from 1 to %1</source>
        <translation>--lines attend un nombre de 1 à %1</translation>
    </message>
    <message>
        <source>--rows wants message numbers such as 1,3,7</source>
        <translation>--rows attend des numéros de message comme 1,3,7</translation>
    </message>
    <message>
        <source>--server needs a host name</source>
        <translation>--server demande un nom d&apos;hôte</translation>
    </message>
    <message>
        <source>--port wants a number from 1 to 65535</source>
        <translation>--port attend un nombre de 1 à 65535</translation>
    </message>
    <message>
        <source>--user needs a name</source>
        <translation>--user demande un nom</translation>
    </message>
    <message>
        <source>--security wants none, stls or tls</source>
        <translation>--security attend none, stls ou tls</translation>
    </message>
    <message>
        <source>--auth wants auto, user, apop, plain, login, cram-md5, scram-sha-1, scram-sha-256, xoauth2 or oauthbearer</source>
        <translation>--auth attend auto, user, apop, plain, login, cram-md5, scram-sha-1, scram-sha-256, xoauth2 ou oauthbearer</translation>
    </message>
    <message>
        <source>--account needs an account&apos;s name</source>
        <translation>--account demande le nom d&apos;un compte</translation>
    </message>
    <message>
        <source>--token-command needs a command</source>
        <translation>--token-command demande une commande</translation>
    </message>
    <message>
        <source>--tls-fingerprint wants a SHA-256 fingerprint: 64 hex digits, colons allowed</source>
        <translation>--tls-fingerprint attend une empreinte SHA-256 : 64 chiffres hexadécimaux, deux-points autorisés</translation>
    </message>
    <message>
        <source>log takes only --tsv and --account</source>
        <translation>log n&apos;accepte que --tsv et --account</translation>
    </message>
    <message>
        <source>accounts takes only --tsv</source>
        <translation>accounts n&apos;accepte que --tsv</translation>
    </message>
    <message>
        <source>authorize takes only --server, --user and --account</source>
        <translation>authorize n&apos;accepte que --server, --user et --account</translation>
    </message>
    <message>
        <source>--lines belongs to the show command</source>
        <translation>--lines appartient à la commande show</translation>
    </message>
    <message>
        <source>show takes no %1</source>
        <translation>show n&apos;accepte pas %1</translation>
    </message>
    <message>
        <source>give only one of --account and --all-accounts</source>
        <translation>indiquez une seule option parmi --account et --all-accounts</translation>
    </message>
    <message>
        <source>--server, --port, --user, --security, --tls-fingerprint, --auth and --token-command apply to one account: not with --all-accounts</source>
        <translation>--server, --port, --user, --security, --tls-fingerprint, --auth et --token-command s&apos;appliquent à un seul compte : pas avec --all-accounts</translation>
    </message>
    <message>
        <source>--rows names the messages of one account: not with --all-accounts</source>
        <translation>--rows désigne les messages d&apos;un seul compte : pas avec --all-accounts</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 n&apos;accepte pas de valeur</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 demande une valeur</translation>
    </message>
    <message>
        <source>the password is never taken from the command line: set MAVIX_PASSWORD or store it with Mavix&apos;s Manage Account</source>
        <translation>le mot de passe n&apos;est jamais pris sur la ligne de commande : définissez MAVIX_PASSWORD ou enregistrez-le avec « Gérer le compte » de Mavix</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>option inconnue « %1 »</translation>
    </message>
    <message>
        <source>no command given (scan, purge, log, accounts or authorize)</source>
        <translation>aucune commande indiquée (scan, purge, log, accounts ou authorize)</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos; (scan, purge, show, log, accounts or authorize)</source>
        <translation>commande inconnue « %1 » (scan, purge, show, log, accounts ou authorize)</translation>
    </message>
    <message>
        <source>show needs a message number</source>
        <translation>show demande un numéro de message</translation>
    </message>
    <message>
        <source>purge needs one of --suspects, --all or --rows N[,N...]</source>
        <translation>purge demande --suspects, --all ou --rows N[,N...]</translation>
    </message>
    <message>
        <source>cannot write the output</source>
        <translation>impossible d&apos;écrire la sortie</translation>
    </message>
    <message>
        <source>poll failed</source>
        <translation>échec de poll</translation>
    </message>
    <message>
        <source>interrupted: scan stopped</source>
        <translation>interrompu : analyse arrêtée</translation>
    </message>
    <message>
        <source>interrupted: stopping the purge</source>
        <translation>interrompu : arrêt de la suppression</translation>
    </message>
    <message>
        <source>Waiting for the server (%1 s)...</source>
        <translation>Attente du serveur (%1 s)...</translation>
    </message>
    <message>
        <source>Protocol Error - restart</source>
        <translation>Erreur de protocole - redémarrez</translation>
    </message>
    <message>
        <source>  %1 eMails :   %2 Suspect
</source>
        <translation>  %1 e-mails :   %2 suspects
</translation>
    </message>
    <message>
        <source>the scan failed</source>
        <translation>l&apos;analyse a échoué</translation>
    </message>
    <message>
        <source>there is no message %1 on the server</source>
        <translation>il n&apos;y a pas de message %1 sur le serveur</translation>
    </message>
    <message>
        <source>at least %1 KB</source>
        <translation>au moins %1 Ko</translation>
    </message>
    <message>
        <source>about %1 KB</source>
        <translation>environ %1 Ko</translation>
    </message>
    <message>
        <source>Attachment: %1 - %2, %3</source>
        <translation>Pièce jointe : %1 - %2, %3</translation>
    </message>
    <message>
        <source>(no name)</source>
        <translation>(sans nom)</translation>
    </message>
    <message>
        <source> (!) a program named like a document</source>
        <translation> (!) un programme nommé comme un document</translation>
    </message>
    <message>
        <source>[cut: the message goes on; --lines %1 shows more]
</source>
        <translation>[coupé : le message continue ; --lines %1 en montre plus]
</translation>
    </message>
    <message>
        <source>[parts nested too deep, or too many, were not shown]
</source>
        <translation>[les parties trop imbriquées, ou trop nombreuses, n&apos;ont pas été affichées]
</translation>
    </message>
    <message>
        <source>there is no message %1 on the server; nothing deleted</source>
        <translation>il n&apos;y a pas de message %1 sur le serveur ; rien n&apos;a été supprimé</translation>
    </message>
    <message>
        <source>the list has &quot;%1&quot; but the server has &quot;%2&quot;; stopped, nothing further deleted
</source>
        <translation>la liste a « %1 » mais le serveur a « %2 » ; arrêté, rien d&apos;autre n&apos;a été supprimé
</translation>
    </message>
    <message>
        <source>already removed from the server
</source>
        <translation>déjà retiré du serveur
</translation>
    </message>
    <message>
        <source>the message could not be read or found, so it is left alone
</source>
        <translation>le message n&apos;a pas pu être lu ou trouvé, il est donc laissé tel quel
</translation>
    </message>
    <message>
        <source> Not deleted.
</source>
        <translation> Non supprimé.
</translation>
    </message>
    <message>
        <source>the purge had already ended; its deletions stand</source>
        <translation>la suppression était déjà terminée ; ses suppressions sont effectives</translation>
    </message>
    <message>
        <source>interrupted while waiting for QUIT&apos;s reply: </source>
        <translation>interrompu en attendant la réponse à QUIT : </translation>
    </message>
    <message>
        <source>nothing was deleted</source>
        <translation>rien n&apos;a été supprimé</translation>
    </message>
    <message>
        <source>not deleted: </source>
        <translation>non supprimés : </translation>
    </message>
    <message>
        <source>Nothing deleted yet (%1).
</source>
        <translation>Rien n&apos;a encore été supprimé (%1).
</translation>
    </message>
    <message>
        <source>no account is named &apos;%1&apos; (see &apos;mavix-cli accounts&apos;)</source>
        <translation>aucun compte ne s&apos;appelle « %1 » (voir « mavix-cli accounts »)</translation>
    </message>
    <message>
        <source>disabled</source>
        <translation>désactivé</translation>
    </message>
    <message>
        <source>No account is set up yet.
</source>
        <translation>Aucun compte n&apos;est encore configuré.
</translation>
    </message>
    <message>
        <source>Try &apos;mavix-cli --help&apos;.
</source>
        <translation>Essayez « mavix-cli --help ».
</translation>
    </message>
    <message>
        <source>Failed to connect (some field is blank)
</source>
        <translation>Échec de la connexion (un champ est vide)
</translation>
    </message>
    <message>
        <source>authorize needs the account&apos;s server and user name (--server, --user)</source>
        <translation>authorize demande le serveur et le nom d&apos;utilisateur du compte (--server, --user)</translation>
    </message>
    <message>
        <source>Open this address in a browser and sign in:
</source>
        <translation>Ouvrez cette adresse dans un navigateur et connectez-vous :
</translation>
    </message>
    <message>
        <source>sign-in failed: </source>
        <translation>échec de la connexion : </translation>
    </message>
    <message>
        <source>cannot store the refresh token: </source>
        <translation>impossible d&apos;enregistrer le jeton d&apos;actualisation : </translation>
    </message>
    <message>
        <source>Signed in: the refresh token is stored in the keyring.
</source>
        <translation>Connecté : le jeton d&apos;actualisation est conservé dans le trousseau.
</translation>
    </message>
    <message>
        <source>Signed in: the refresh token is stored in the settings file %1.
</source>
        <translation>Connecté : le jeton d&apos;actualisation est conservé dans le fichier de réglages %1.
</translation>
    </message>
    <message>
        <source>no OAuth sign-in is stored for this account: run &apos;mavix-cli authorize&apos; first</source>
        <translation>aucune connexion OAuth n&apos;est enregistrée pour ce compte : lancez d&apos;abord « mavix-cli authorize »</translation>
    </message>
    <message>
        <source>cannot watch for Ctrl-C</source>
        <translation>impossible de surveiller Ctrl-C</translation>
    </message>
    <message>
        <source>account %1: exit status %2</source>
        <translation>compte %1 : code de sortie %2</translation>
    </message>
    <message>
        <source>no account is enabled</source>
        <translation>aucun compte n&apos;est activé</translation>
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
        <translation>Usage : mavix-cli scan [--tsv] [--raw] [--no-cache] [--account NOM | --all-accounts] [OPTIONS DE COMPTE]
        mavix-cli purge (--suspects | --all | --rows N[,N...]) [--tsv] [--raw] [--no-cache]
                        [--account NOM | --all-accounts] [OPTIONS DE COMPTE]
        mavix-cli show N [--lines L] [--account NOM] [OPTIONS DE COMPTE]
        mavix-cli log [--tsv] [--account NOM]
        mavix-cli accounts [--tsv]
        mavix-cli authorize [--account NOM] [--server HÔTE] [--user NOM]
        mavix-cli --help
        mavix-cli --version

Trie la boîte POP3 d&apos;un compte Mavix enregistré sans télécharger de courrier :
se connecte, récupère uniquement le bloc d&apos;en-têtes de chaque message en
attente (TOP n 0) et affiche une ligne par message dès son arrivée. Les lignes
dont l&apos;objet, la taille ou l&apos;expéditeur correspondent aux listes de filtres
enregistrées sont marquées comme suspectes, avec le motif ; un expéditeur de
la liste de confiance ne l&apos;est jamais.

Commandes :
  scan        Analyser la boîte et lister les messages. Rien n&apos;est supprimé.
  purge       Analyser, puis supprimer les messages choisis sur le serveur.
              Avant chaque suppression, l&apos;en-tête du message est relu et son
              objet comparé à celui de la liste ; à la première différence,
              la suppression s&apos;arrête et rien d&apos;autre n&apos;est supprimé. Les
              suppressions déjà faites sont validées à la fin de la session.
  show N      Analyser, puis afficher le début du message N en texte : ses
              From, To, Date et Subject (décodés), ses pièces jointes (nom,
              type, taille approximative ; marquées (!) quand le nom cache un
              programme derrière l&apos;extension d&apos;un document, comme dans
              &quot;invoice.pdf.exe&quot;) et les L premières lignes du corps (TOP N L,
              qui laisse le message tel quel sur le serveur). Le HTML est
              affiché en texte, avec la vraie cible de chaque lien entre
              crochets ; rien n&apos;est chargé, ouvert ni enregistré.
  --lines L   (show) les lignes du corps à récupérer, de 1 à 2000 ; sinon la
              préférence &quot;Aperçu des L premières lignes&quot; (40 par défaut)
  log         Afficher le journal des suppressions faites par Mavix et
              mavix-cli, les plus anciennes d&apos;abord : heure, taille, From,
              Subject, pourquoi le message a été supprimé, et &quot;copy: CHEMIN&quot;
              quand une copie a été conservée (POP3 ne peut pas remettre un
              message ; la copie, si). Avec --tsv : les lignes du journal
              telles qu&apos;elles sont conservées, heure (UTC), compte, UIDL,
              taille en octets, From, Subject, motif, échappés comme la sortie
              --tsv de scan ; un message avec copie conservée ajoute un champ
              d&apos;état (vide pour une suppression) et le chemin de la copie. Le
              journal est $XDG_STATE_HOME/Mavix/deleted.log
              (~/.local/state/Mavix).
  accounts    Lister les comptes enregistrés dans leur ordre, un par ligne :
              nom, user@server:port, sécurité (none, stls, tls), méthode de
              connexion, et &quot;disabled&quot; pour un compte exclu de
              --all-accounts. Avec --tsv : les mêmes champs séparés par des
              tabulations, échappés comme ceux de scan, le dernier valant 1
              (activé) ou 0.
  authorize   Se connecter au fournisseur OAuth 2.0 du compte (Google,
              Microsoft, ou celui défini dans la section [OAuth] des réglages)
              dans un navigateur : affiche l&apos;adresse à ouvrir, attend jusqu&apos;à
              5 minutes que le navigateur revienne vers un écouteur sur
              127.0.0.1, puis enregistre le jeton d&apos;actualisation dans le
              trousseau (sinon dans le fichier de réglages) et dit où.
              L&apos;identifiant client OAuth est pris dans la section [OAuth] des
              réglages.

Comptes :
  --account NOM       le compte à analyser, purger, autoriser ou dont afficher
                      le journal : son nom, ou user@server. Sans cette option,
                      le premier compte. Un nom inconnu est une erreur
                      d&apos;utilisation.
  --all-accounts      analyser ou purger chaque compte activé, l&apos;un après
                      l&apos;autre. Chaque ligne --tsv commence alors par le nom du
                      compte comme champ supplémentaire (les autres champs
                      gardent leur place) ; le tableau reçoit un titre par
                      compte. Chaque compte utilise son mot de passe
                      enregistré (MAVIX_PASSWORD n&apos;est pas utilisé) ; --rows
                      et les options de compte ci-dessous concernent un seul
                      compte et ne sont pas acceptées.

Sélection (purge uniquement, exactement une) :
  --suspects          les lignes suspectes, telles que Mavix les pré-coche
  --all               toutes les lignes
  --rows N[,N...]     les numéros de message indiqués ; un numéro que
                      l&apos;analyse n&apos;a pas listé est une erreur et rien n&apos;est
                      supprimé

Sortie :
  --tsv       Une ligne par message, séparée par des tabulations : numéro,
              taille, marque de pièce jointe, Subject, From, Email, Date, To,
              CC, suspect (1 ou 0), motif (pourquoi la ligne est suspecte,
              par exemple Subject contains &quot;HONEY&quot; ; vide sinon).
              Les textes sont en UTF-8. Dans un texte, la barre oblique
              inverse, la tabulation, CR et LF s&apos;écrivent \\, \t, \r et \n, et
              tout autre caractère de contrôle (C0, DEL et les contrôles C1
              U+0080-U+009F) \xHH, son code en deux chiffres hexadécimaux,
              afin qu&apos;aucun texte du serveur ne puisse envoyer de séquences
              d&apos;échappement à un terminal.
              Après les lignes, purge ajoute une ligne par message choisi :
                deleted&lt;TAB&gt;N
                refused&lt;TAB&gt;N&lt;TAB&gt;réponse du serveur
                mismatch&lt;TAB&gt;N&lt;TAB&gt;objet listé&lt;TAB&gt;objet sur le serveur
  (défaut)    Un tableau ajusté à la largeur du terminal ; les suspects sont
              marqués &apos;*&apos; et leur motif affiché si le terminal est assez
              large. Les caractères de contrôle des textes du serveur sont
              affichés comme des espaces.
  --raw       Subject, From, To et CC tels que le serveur les a envoyés : les
              mots encodés (=?UTF-8?B?...?=) ne sont pas décodés, et les
              octets sont convertis de Windows-1252 en UTF-8. Sans cette
              option, ils sont décodés comme les affiche un logiciel de
              messagerie (mots encodés RFC 2047 ; octets UTF-8 dans
              l&apos;en-tête ; sinon Windows-1252).
  Le texte d&apos;état de l&apos;analyse et toute erreur vont sur la sortie d&apos;erreur.

Cache d&apos;en-têtes :
  Les blocs d&apos;en-têtes lus par une analyse sont conservés par compte dans
  $XDG_CACHE_HOME/Mavix/headers-USER@SERVER-HASH (~/.cache/Mavix), indexés par
  les identifiants de message du serveur (UIDL) et les tailles ; l&apos;analyse
  suivante ne récupère que les messages qu&apos;elle n&apos;a pas encore vus. Une
  suppression relit quand même d&apos;abord chaque message. Supprimer le fichier
  vide le cache.
  --no-cache  récupérer à nouveau chaque bloc d&apos;en-têtes, sans le cache, et
              réécrire le cache

Compte (pour cette exécution seulement, sur le compte choisi ; rien n&apos;est
enregistré) :
  --server HÔTE       nom ou adresse du serveur POP3
  --port PORT         port TCP (celui enregistré, sinon 110)
  --user NOM          nom d&apos;utilisateur de la boîte
  --security MODE     none : POP3 simple ; stls : STARTTLS sur le port simple
                      (RFC 2595) ; tls : TLS dès le début (RFC 8314). Le
                      réglage enregistré, sinon none. Sans --port, un port
                      enregistré 110 devient 995 pour tls, et 995 devient 110
                      pour les autres. Une connexion qui ne peut pas être
                      sécurisée échoue ; elle ne revient jamais au texte clair.
  --tls-fingerprint HEX
                      faire confiance au certificat du serveur ayant cette
                      empreinte SHA-256 (64 chiffres hexadécimaux, deux-points
                      autorisés) même s&apos;il ne se vérifie pas, comme pour un
                      certificat auto-signé ; un HEX vide ignore une empreinte
                      enregistrée
  --auth MÉTHODE      comment se connecter : auto (la plus forte que le
                      serveur propose), user (USER/PASS), apop, plain, login,
                      cram-md5, scram-sha-1, scram-sha-256, xoauth2 ou
                      oauthbearer (jetons d&apos;accès OAuth 2.0). Le choix
                      enregistré, sinon auto.
  --token-command CMD
                      exécuter CMD (découpée en mots comme par un shell, mais
                      pas exécutée par un shell) à chaque connexion et
                      utiliser sa sortie standard comme jeton d&apos;accès
                      OAuth 2.0 ; sans cette option, les méthodes OAuth
                      utilisent le jeton d&apos;actualisation enregistré par
                      &quot;mavix-cli authorize&quot;
Le mot de passe est pris dans la variable d&apos;environnement MAVIX_PASSWORD si
elle est définie, sinon dans le trousseau du bureau (Secret Service), sinon
dans le fichier de réglages ; jamais sur la ligne de commande.
Les certificats sont vérifiés par rapport aux autorités de certification de
confiance du système et au nom du serveur. MAVIX_TLS_CA_FILE peut désigner un
fichier PEM d&apos;autorités supplémentaires (pour une autorité privée, ou pour des
tests).

Les réglages sont ceux du programme de bureau (le compte, les listes de
filtres et la préférence &quot;Rétablir automatiquement les listes de filtres par
défaut au démarrage&quot;). &quot;defaults.txt&quot; est lu dans le répertoire courant, et
l&apos;extrait d&apos;en-têtes &quot;message.txt&quot; y est écrit.

Ctrl-C pendant l&apos;analyse l&apos;arrête. Ctrl-C pendant une suppression l&apos;arrête
aussitôt : avant son QUIT, la session est fermée sans QUIT, donc rien du tout
n&apos;est supprimé ; une fois QUIT envoyé, le serveur supprime peut-être déjà, et
les messages sont alors signalés, et journalisés, comme peut-être supprimés.
Un second Ctrl-C, ou SIGTERM, quitte aussitôt.

Avant son QUIT, une suppression inscrit les messages marqués dans le journal
des suppressions (&quot;mavix-cli log&quot;) comme en attente ; la réponse à QUIT les
rend supprimés. Si la réponse ne vient jamais, ils restent &quot;peut-être
supprimés&quot; jusqu&apos;à ce que la prochaine analyse du compte les régularise par
leurs identifiants. Si le journal ne peut pas être écrit, la session est
fermée sans QUIT et rien n&apos;est supprimé. Une seule suppression par compte à
la fois ; une seconde attend quelques secondes, puis abandonne.

Une suppression affiche &quot;deleted N&quot; uniquement pour les suppressions que le
serveur a confirmées à QUIT, &quot;possibly deleted N&quot; (avec --tsv
&quot;unconfirmed N&quot;) quand QUIT est parti mais que sa réponse n&apos;est pas venue,
&quot;refused N&quot; pour un DELE refusé par le serveur, &quot;mismatch N&quot; là où elle s&apos;est
arrêtée parce que le message a changé (son objet ou son identifiant),
&quot;gone N&quot; pour un message qu&apos;un autre client avait déjà retiré, et
&quot;skipped N&quot; pour un message qu&apos;elle n&apos;a pas pu lire ou trouver. Elle indique
ensuite sur stderr combien ont été supprimés, refusés et non supprimés, et
quels messages cochés sont encore sur le serveur. Quand les réponses du
serveur ne correspondent plus aux commandes (en retard, en double ou mal
formées), la session est fermée sans QUIT : rien du tout n&apos;est supprimé, et
elle le dit.

Code de sortie :
  0    l&apos;analyse (et la suppression) s&apos;est terminée normalement, même sans
       courrier en attente
  1    l&apos;analyse a échoué (serveur introuvable, connexion non sécurisée,
       connexion ou STAT refusés, ...), un message coché n&apos;a pas été
       supprimé (refusé, ou session interrompue), le serveur n&apos;a pas confirmé
       le QUIT de la suppression (les suppressions ont donc pu être faites ou
       non), le journal des suppressions n&apos;a pas pu être écrit (rien de
       supprimé), une autre suppression du compte était en cours, la sortie
       n&apos;a pas pu être écrite, ou authorize n&apos;a pas pu se connecter ou
       enregistrer le jeton d&apos;actualisation
  2    erreur d&apos;utilisation
  3    la suppression s&apos;est arrêtée sur un objet différent
  130  interrompu par Ctrl-C
  143  terminé par SIGTERM
Avec --all-accounts, le pire des codes des comptes, du meilleur au pire :
0, 3, 1 ; Ctrl-C ou SIGTERM s&apos;arrête au compte qu&apos;il interrompt et donne 130
ou 143.
</translation>
    </message>
    <message>
        <source>%1 accounts are named &apos;%2&apos;; give each its own name:</source>
        <translation>%1 comptes s&apos;appellent « %2 » ; donnez à chacun son propre nom :</translation>
    </message>
</context>
</TS>
